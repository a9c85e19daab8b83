#include "BvID3DoubleListFrame.h"

#include "TextCodec.h"

void TBvID3DoubleListFrame::ReadFrame(TBvID3Stream& s) {
    SetEncodingQuiet(s.ReadEncoding());
    const int unit = s.SourceEncoding() == ienUTF_16 || s.SourceEncoding() == ienUTF_16BE ? 2 : 1;
    while (s.BytesLeft() >= unit) {
        TBvID3StringPair job, person;
        if (s.ReadStringEnc(job) == 0)
            break;
        s.ReadStringEnc(person);
        if (Encoding() == ienISO_8859_1) {
            if (!job.Ansi.empty() || !person.Ansi.empty())
                List.Add(job.Ansi + "=" + person.Ansi);
        } else if (!job.Wide.empty() || !person.Wide.empty()) {
            ListW.Add(job.Wide + u"=" + person.Wide);
        }
    }
}

int TBvID3DoubleListFrame::Count() const {
    return Encoding() == ienISO_8859_1 ? List.Count() : ListW.Count();
}

std::string TBvID3DoubleListFrame::Job(int index) const {
    const std::string item = Encoding() == ienISO_8859_1 ? List[index] : Utf16ToUtf8(ListW[index]);
    return item.substr(0, item.find('='));
}

std::string TBvID3DoubleListFrame::Person(int index) const {
    const std::string item = Encoding() == ienISO_8859_1 ? List[index] : Utf16ToUtf8(ListW[index]);
    const size_t eq = item.find('=');
    return eq == std::string::npos ? std::string() : item.substr(eq + 1);
}

void TBvID3DoubleListFrame::PutItem(int index, const std::string& job, const std::string& person) {
    const std::string item = job + "=" + person;
    if (Encoding() == ienISO_8859_1) {
        if (index == List.Count())
            List.Add(item);
        else
            List.Put(index, item);
    } else if (index == ListW.Count()) {
        ListW.Add(Utf8ToUtf16(item));
    } else {
        ListW.Put(index, Utf8ToUtf16(item));
    }
    UpdateFrameSize();
}

void TBvID3DoubleListFrame::SetJob(int index, const std::string& job) {
    PutItem(index, job, Person(index));
}

void TBvID3DoubleListFrame::SetPerson(int index, const std::string& person) {
    PutItem(index, Job(index), person);
}

int TBvID3DoubleListFrame::AddItem(const std::string& job, const std::string& person) {
    PutItem(Count(), job, person);
    return Count() - 1;
}

std::vector<std::pair<TBvID3StringPair, TBvID3StringPair>> TBvID3DoubleListFrame::Pairs() const {
    std::vector<std::pair<TBvID3StringPair, TBvID3StringPair>> pairs;
    for (int i = 0; i < Count(); ++i) {
        TBvID3StringPair job, person;
        if (Encoding() == ienISO_8859_1) {
            job.Ansi = Job(i);
            person.Ansi = Person(i);
        } else {
            job.Wide = Utf8ToUtf16(Job(i));
            person.Wide = Utf8ToUtf16(Person(i));
        }
        pairs.emplace_back(job, person);
    }
    return pairs;
}

void TBvID3DoubleListFrame::WriteFrame(TBvID3Stream& s) {
    s.WriteEncoding();
    for (const auto& [job, person] : Pairs()) {
        s.WriteStringEnc(job);
        s.WriteTerminator();
        s.WriteStringEnc(person);
        s.WriteTerminator();
    }
}

int64_t TBvID3DoubleListFrame::GetFrameSize(TBvID3Encoding e) const {
    int64_t size = 1;
    for (auto [job, person] : Pairs()) {
        ConvertPair(job, Encoding(), e);
        ConvertPair(person, Encoding(), e);
        size += EncodedLength(job, e) + EncodedLength(person, e) + 2 * TerminatorLength(e);
    }
    return size;
}

bool TBvID3DoubleListFrame::SupportsVersion(TBvID3Version v) const {
    if (FrameID() == fiInvolvedPeople)
        return v == ive2_2 || v == ive2_3;
    return v == ive2_4;
}
