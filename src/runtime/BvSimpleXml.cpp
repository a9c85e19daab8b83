#include "BvSimpleXml.h"

#include "RtStrings.h"
#include "TextCodec.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace {

const char* const MsgProlog = "Invalid Document: Unexpected text in file prolog";
const char* const MsgTagStart = "Invalid XML Element: Expected beginning of tag but \"%s\" found";
const char* const MsgTagEnd = "Invalid XML Element: Expected end of tag but \"%s\" found";
const char* const MsgNoName = "Invalid XML Element: malformed tag found (no valid name)";
const char* const MsgEndTag =
    "Invalid XML Element: Erroneous end of tag, expecting </%s> but </%s> found";
const char* const MsgProperty =
    "Invalid XML Element: Unexpected character in property declaration (\"%s\" found)";
const char* const MsgQuote = "Invalid XML Element: Unexpected character in property declaration. "
                             "Expecting \" or ' but \"%s\"  found";
const char* const MsgCommentMismatch = "Invalid Comment: expected \"%s\" but found \"%s\"";
const char* const MsgDoubleDash = "Invalid Comment: \"--\" not allowed inside comments";
const char* const MsgCommentEnd = "Invalid Comment: Unexpected end of data";
const char* const MsgCDataMismatch = "Invalid CDATA: expected \"%s\" but found \"%s\"";
const char* const MsgCDataEnd = "Invalid CDATA: Unexpected end of data";
const char* const MsgHeaderMismatch = "Invalid Header: expected \"%s\" but found \"%s\"";
const char* const MsgHeaderEnd = "Invalid Header: Unexpected end of data";
const char* const MsgDocTypeEnd = "Invalid DOCTYPE: Unexpected end of data";
const char* const MsgSheetMismatch = "Invalid Stylesheet: expected \"%s\" but found \"%s\"";
const char* const MsgSheetEnd = "Invalid Stylesheet: Unexpected end of data";
const char* const MsgTooDeep = "Invalid XML Element: elements nested deeper than %d levels";

const char* const CrLf = "\r\n";

[[noreturn]] void Fail(const char* message) {
    throw EBvSimpleXMLError(message);
}

[[noreturn]] void Fail(const char* format, std::initializer_list<TVarRec> args) {
    throw EBvSimpleXMLError(Format(format, args));
}

bool IsWhite(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads "&#...;" at pos; on success appends the character and returns the
// position after the ";", else returns 0.
size_t DecodeReference(const std::string& s, size_t pos, std::string& out) {
    size_t i = pos + 2;
    bool hex = i < s.size() && (s[i] == 'x' || s[i] == 'X');
    if (hex)
        ++i;
    size_t start = i;
    uint64_t value = 0;
    // Longer digit runs than this cannot name a character.
    constexpr size_t MaxDigits = 10;
    while (i < s.size() && s[i] != ';' && i - start <= MaxDigits) {
        int d = hex ? HexDigit(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
        if (d < 0)
            return 0;
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(d);
        ++i;
    }
    if (i >= s.size() || s[i] != ';' || i == start || value == 0 || value > 0x10FFFF ||
        (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    AppendUtf8(out, static_cast<char32_t>(value));
    return i + 1;
}

struct TEntity {
    const char* text;
    char c;
};
const TEntity Entities[] = {
    {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}};

size_t DecodeNamed(const std::string& s, size_t pos, std::string& out) {
    for (const auto& e : Entities) {
        std::string_view name(e.text);
        if (s.size() - pos >= name.size() &&
            SameText(std::string_view(s).substr(pos, name.size()), name)) {
            out += e.c;
            return pos + name.size();
        }
    }
    return 0;
}

std::string Decode(const std::string& value, bool references) {
    if (value.find('&') == std::string::npos)
        return value;
    std::string out;
    out.reserve(value.size());
    size_t i = 0;
    while (i < value.size()) {
        if (value[i] == '&') {
            size_t next = 0;
            if (references && i + 1 < value.size() && value[i + 1] == '#')
                next = DecodeReference(value, i, out);
            else
                next = DecodeNamed(value, i, out);
            if (next) {
                i = next;
                continue;
            }
        }
        out += value[i++];
    }
    return out;
}

std::string Encode(const std::string& value, bool references) {
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (references && static_cast<unsigned char>(c) >= 128) {
            // One reference per character, which the reader turns back into its UTF-8.
            size_t next = i;
            char32_t cp = DecodeUtf8(value, next);
            if (cp == 0xFFFD && next == i + 1)
                cp = static_cast<unsigned char>(c); // not UTF-8: the byte as Latin-1
            out += Format("&#x%.2x;", {static_cast<unsigned>(cp)});
            i = next - 1;
            continue;
        }
        switch (c) {
        case '"':
            out += "&quot;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

namespace {

// The encoding named by the declaration at the document's start, in lower case; empty
// when there is no declaration or it names none.
std::string DeclaredEncoding(std::string_view data) {
    size_t i = data.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (i < data.size() && IsWhite(data[i]))
        ++i;
    if (data.compare(i, 5, "<?xml") != 0 || i + 5 >= data.size() || !IsWhite(data[i + 5]))
        return {};
    const size_t end = data.find("?>", i);
    if (end == std::string_view::npos)
        return {};
    std::string_view decl = data.substr(i + 5, end - i - 5);
    for (size_t at = decl.find("encoding"); at != std::string_view::npos;
         at = decl.find("encoding", at + 1)) {
        size_t j = at + 8;
        if (at > 0 && !IsWhite(decl[at - 1]))
            continue;
        while (j < decl.size() && IsWhite(decl[j]))
            ++j;
        if (j >= decl.size() || decl[j] != '=')
            continue;
        ++j;
        while (j < decl.size() && IsWhite(decl[j]))
            ++j;
        if (j >= decl.size() || (decl[j] != '"' && decl[j] != '\''))
            continue;
        const size_t close = decl.find(decl[j], j + 1);
        if (close == std::string_view::npos)
            return {};
        return LowerCase(Trim(decl.substr(j + 1, close - j - 1)));
    }
    return {};
}

bool IsUtf8Name(const std::string& e) {
    return e.empty() || e == "utf-8" || e == "utf8" || e == "us-ascii" || e == "ascii" ||
           // A document whose declaration could be read byte by byte is not in UTF-16,
           // whatever it says.
           e == "utf-16" || e == "utf-16le" || e == "utf-16be" || e == "unicode";
}

// The single-byte pages the platform converts itself, all of their bytes included.
bool PlatformPage(const std::string& e, TCodePage& page) {
    // What Windows editors write under a Latin-1 declaration are Windows-1252 bytes;
    // Latin-1's own 128 to 159 are control codes no text holds.
    static const char* const western[] = {"windows-1252", "cp1252",     "x-cp1252",
                                          "iso-8859-1",   "iso_8859-1", "latin1",
                                          "l1",           "iso8859-1",  "ibm819"};
    static const char* const cyrillic[] = {"windows-1251", "cp1251", "x-cp1251"};
    for (const char* n : western)
        if (e == n) {
            page = TCodePage::Windows1252;
            return true;
        }
    for (const char* n : cyrillic)
        if (e == n) {
            page = TCodePage::Windows1251;
            return true;
        }
    return false;
}

// Text that should be UTF-8 with stray bytes from a Windows editor: the UTF-8 stays, every
// byte that is not UTF-8 is read as Windows-1252.
std::string RepairUtf8(const std::string& data) {
    if (IsValidUtf8(data))
        return data;
    std::string out;
    out.reserve(data.size() + data.size() / 8);
    size_t i = 0;
    while (i < data.size()) {
        size_t next = i;
        const char32_t cp = DecodeUtf8(data, next);
        if (cp == 0xFFFD && next == i + 1)
            out += Cp1252ToUtf8(std::string_view(data).substr(i, 1));
        else
            out.append(data, i, next - i);
        i = next;
    }
    return out;
}

struct TIconv {
    iconv_t handle;
    explicit TIconv(const char* to, const char* from) : handle(iconv_open(to, from)) {}
    ~TIconv() {
        if (Valid())
            iconv_close(handle);
    }
    bool Valid() const { return handle != reinterpret_cast<iconv_t>(-1); }
};

[[noreturn]] void FailEncoding(const std::string& encoding) {
    Fail("Invalid Header: the encoding \"%s\" is not supported", {encoding});
}

// Another encoding through the C library's converters; a byte sequence the encoding
// does not have becomes U+FFFD.
std::string ConvertToUtf8(const std::string& data, const std::string& encoding) {
    TIconv cd("UTF-8", encoding.c_str());
    if (!cd.Valid())
        FailEncoding(encoding);
    std::string out;
    out.resize(data.size() * 4 + 16);
    char* in = const_cast<char*>(data.data());
    size_t inLeft = data.size();
    char* to = out.data();
    size_t toLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd.handle, &in, &inLeft, &to, &toLeft) != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG) {
            const size_t used = static_cast<size_t>(to - out.data());
            out.resize(out.size() * 2);
            to = out.data() + used;
            toLeft = out.size() - used;
            continue;
        }
        // EILSEQ or EINVAL: one byte the encoding cannot read.
        const size_t used = static_cast<size_t>(to - out.data());
        out.resize(used);
        AppendUtf8(out, 0xFFFD);
        out.resize(out.size() + inLeft * 4 + 16);
        to = out.data() + used + 3;
        toLeft = out.size() - used - 3;
        ++in;
        --inLeft;
    }
    out.resize(static_cast<size_t>(to - out.data()));
    return out;
}

} // namespace

std::string SimpleXMLDocumentToUtf8(std::string data) {
    const auto* b = reinterpret_cast<const unsigned char*>(data.data());
    if (data.size() >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
        const bool little = b[0] == 0xFF;
        std::u16string units;
        units.reserve(data.size() / 2);
        for (size_t i = 2; i + 1 < data.size(); i += 2)
            units +=
                static_cast<char16_t>(little ? b[i] | (b[i + 1] << 8) : (b[i] << 8) | b[i + 1]);
        return Utf16ToUtf8(units);
    }
    const std::string encoding = DeclaredEncoding(data);
    if (IsUtf8Name(encoding))
        return RepairUtf8(data);
    TCodePage page;
    if (PlatformPage(encoding, page))
        return SingleByteToUtf8(data, page);
    return ConvertToUtf8(data, encoding);
}

std::string SimpleXMLEncode(const std::string& value) {
    return Encode(value, true);
}
std::string SimpleXMLDecode(const std::string& value) {
    return Decode(value, true);
}
std::string SimpleXMLEncodeEntity(const std::string& value) {
    return Encode(value, false);
}
std::string SimpleXMLDecodeEntity(const std::string& value) {
    return Decode(value, false);
}

// The reading position over the whole document.
class TBvXMLReader {
public:
    TBvXMLReader(const std::string& data, TBvSimpleXML* xml, bool events)
        : data_(data), xml_(xml), events_(events) {}

    bool AtEnd() const { return pos_ >= data_.size(); }
    char Peek() const { return data_[pos_]; }
    char Next() { return data_[pos_++]; }
    size_t Position() const { return pos_; }
    void SetPosition(size_t pos) { pos_ = pos; }
    // The character at the position as message text; empty at the end.
    std::string Found() const { return AtEnd() ? std::string() : std::string(1, Peek()); }

    // Matches text character by character, raising format(expected, found).
    void Expect(std::string_view text, const char* mismatch, const char* atEnd) {
        for (char c : text) {
            if (AtEnd()) {
                if (atEnd)
                    Fail(atEnd);
                Fail(mismatch, {std::string(1, c), std::string()});
            }
            if (Peek() != c)
                Fail(mismatch, {std::string(1, c), Found()});
            ++pos_;
        }
    }

    std::string DecodeFor(const TBvSimpleXMLElem& elem, const std::string& value) const {
        TBvSimpleXML* xml = elem.SimpleXML();
        return xml ? xml->DecodeValue(value) : value;
    }

    void TagParsed(const std::string& name) {
        if (events_ && xml_ && xml_->OnTagParsed)
            xml_->OnTagParsed(xml_, name);
    }
    void ValueParsed(const std::string& name, const std::string& value) {
        if (events_ && xml_ && xml_->OnValueParsed)
            xml_->OnValueParsed(xml_, name, value);
    }

    void Enter() {
        if (++depth_ > TBvSimpleXML::MaxDepth)
            Fail(MsgTooDeep, {TBvSimpleXML::MaxDepth});
    }
    void Leave() { --depth_; }

    // Prolog items are read without events, as the document's own readers do.
    bool Events() const { return events_; }
    void SetEvents(bool events) { events_ = events; }

private:
    const std::string& data_;
    size_t pos_ = 0;
    TBvSimpleXML* xml_;
    bool events_;
    int depth_ = 0;
};

namespace {

// Reads the attributes that follow a name; stops before "/", ">" or "?" and
// silently at the end of the data.
void ReadProperties(TBvXMLReader& r, TBvSimpleXMLElem& elem) {
    enum { BeforeName, InName, AfterName, BeforeValue, InValue } state = BeforeName;
    auto& props = elem.Properties();
    props.Clear();
    std::string name, nameSpace, value;
    char quote = 0;
    while (!r.AtEnd()) {
        char c = r.Peek();
        switch (state) {
        case BeforeName:
            if (IsWhite(c))
                break;
            if (IsNameChar(c)) {
                name.assign(1, c);
                nameSpace.clear();
                state = InName;
                break;
            }
            if (c == '/' || c == '>' || c == '?')
                return;
            Fail(MsgProperty, {std::string(1, c)});
        case InName:
            if (IsNameChar(c))
                name += c;
            else if (c == ':') {
                nameSpace = name;
                name.clear();
            } else if (c == '=')
                state = BeforeValue;
            else if (IsWhite(c))
                state = AfterName;
            else
                Fail(MsgProperty, {std::string(1, c)});
            break;
        case AfterName:
            if (c == '=')
                state = BeforeValue;
            else if (!IsWhite(c))
                Fail(MsgProperty, {std::string(1, c)});
            break;
        case BeforeValue:
            if (c == '"' || c == '\'') {
                quote = c;
                value.clear();
                state = InValue;
            } else if (!IsWhite(c)) {
                Fail(MsgQuote, {std::string(1, c)});
            }
            break;
        case InValue:
            if (c == quote) {
                auto& prop = props.Add(name, r.DecodeFor(elem, value));
                prop.SetNameSpace(nameSpace);
                state = BeforeName;
            } else {
                value += c;
            }
            break;
        }
        r.Next();
    }
}

// Reads children up to the end tag and returns the end tag's name; empty at
// the end of the data.
std::string ReadChildren(TBvXMLReader& r, TBvSimpleXMLElem& parent) {
    while (!r.AtEnd()) {
        char c = r.Peek();
        if (IsWhite(c)) {
            r.Next();
            continue;
        }
        std::unique_ptr<TBvSimpleXMLElem> child;
        if (c != '<') {
            child = std::make_unique<TBvSimpleXMLElemText>(&parent);
        } else {
            size_t start = r.Position();
            r.Next();
            if (r.AtEnd())
                return std::string();
            if (r.Peek() == '/') {
                r.Next();
                std::string endName;
                while (!r.AtEnd() && r.Peek() != '>')
                    endName += r.Next();
                if (!r.AtEnd())
                    r.Next();
                return TrimRight(endName);
            }
            std::string collected = "<";
            while (!child) {
                if (r.AtEnd())
                    return std::string();
                char n = r.Next();
                if (collected == "<![CDATA" && IsWhite(n))
                    continue;
                collected += n;
                if (collected == "<![CDATA[")
                    child = std::make_unique<TBvSimpleXMLElemCData>(&parent);
                else if (collected == "<!--")
                    child = std::make_unique<TBvSimpleXMLElemComment>(&parent);
                else if (n == ' ' || n == ':' || n == '>' || n == '/')
                    child = std::make_unique<TBvSimpleXMLElemClassic>(&parent);
            }
            r.SetPosition(start);
        }
        auto& added = parent.Items().Add(std::move(child));
        added.LoadFromReader(r);
    }
    return std::string();
}

} // namespace

// ---- properties and lists

int64_t TBvSimpleXMLProp::IntValue() const {
    int64_t v;
    return TryStrToInt64(value_, v) ? v : -1;
}

TBvSimpleXMLProp* TBvSimpleXMLProps::Item(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

TBvSimpleXMLProp* TBvSimpleXMLProps::Find(std::string_view name) const {
    for (const auto& p : items_)
        if (AnsiSameText(p->Name(), name))
            return p.get();
    return nullptr;
}

bool TBvSimpleXMLProps::AutoCreate() const {
    TBvSimpleXML* xml = owner_ ? owner_->SimpleXML() : nullptr;
    return xml && xml->Options.AutoCreate;
}

TBvSimpleXMLProp* TBvSimpleXMLProps::ItemNamed(std::string_view name) {
    TBvSimpleXMLProp* p = Find(name);
    if (!p && AutoCreate())
        p = &Add(std::string(name), "");
    return p;
}

TBvSimpleXMLProp& TBvSimpleXMLProps::Add(std::string name, std::string value) {
    items_.push_back(std::make_unique<TBvSimpleXMLProp>(std::move(name), std::move(value)));
    return *items_.back();
}

std::string TBvSimpleXMLProps::Value(std::string_view name, std::string_view fallback) {
    TBvSimpleXMLProp* p = Find(name);
    if (!p && AutoCreate())
        p = &Add(std::string(name), std::string(fallback));
    return p ? p->Value() : std::string(fallback);
}

int64_t TBvSimpleXMLProps::IntValue(std::string_view name, int64_t fallback) {
    TBvSimpleXMLProp* p = Find(name);
    if (!p && AutoCreate())
        p = &Add(std::string(name), IntToStr(fallback));
    return p ? p->IntValue() : fallback;
}

void TBvSimpleXMLProps::Delete(int index) {
    if (index >= 0 && index < Count())
        items_.erase(items_.begin() + index);
}

TBvSimpleXMLElem* TBvSimpleXMLElems::Item(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

TBvSimpleXMLElem* TBvSimpleXMLElems::ItemNamed(std::string_view name) {
    for (const auto& e : items_)
        if (AnsiSameText(e->Name(), name))
            return e.get();
    TBvSimpleXML* xml = owner_ ? owner_->SimpleXML() : nullptr;
    if (xml && xml->Options.AutoCreate)
        return &Add(std::string(name));
    return nullptr;
}

TBvSimpleXMLElemClassic& TBvSimpleXMLElems::Add(std::string name, std::string value) {
    auto elem = std::make_unique<TBvSimpleXMLElemClassic>(owner_);
    elem->SetName(std::move(name));
    elem->SetValue(std::move(value));
    auto& ref = *elem;
    items_.push_back(std::move(elem));
    return ref;
}

TBvSimpleXMLElem& TBvSimpleXMLElems::Add(std::unique_ptr<TBvSimpleXMLElem> elem) {
    items_.push_back(std::move(elem));
    return *items_.back();
}

void TBvSimpleXMLElems::Delete(int index) {
    if (index >= 0 && index < Count())
        items_.erase(items_.begin() + index);
}

TBvSimpleXMLElem* TBvSimpleXMLElemsProlog::Item(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

TBvSimpleXMLElem& TBvSimpleXMLElemsProlog::Add(std::unique_ptr<TBvSimpleXMLElem> elem) {
    items_.push_back(std::move(elem));
    return *items_.back();
}

// ---- nodes

int64_t TBvSimpleXMLElem::IntValue() const {
    int64_t v;
    return TryStrToInt64(value_, v) ? v : -1;
}

TBvSimpleXMLElems& TBvSimpleXMLElem::Items() {
    if (!items_)
        items_ = std::make_unique<TBvSimpleXMLElems>(this);
    return *items_;
}

TBvSimpleXMLProps& TBvSimpleXMLElem::Properties() {
    if (!props_)
        props_ = std::make_unique<TBvSimpleXMLProps>(this);
    return *props_;
}

TBvSimpleXML* TBvSimpleXMLElem::SimpleXML() const {
    const TBvSimpleXMLElem* e = this;
    while (e->parent_)
        e = e->parent_;
    return e->simpleXML_;
}

void TBvSimpleXMLElem::Clear() {
    if (items_)
        items_->Clear();
    if (props_)
        props_->Clear();
}

void TBvSimpleXMLElem::SaveToStream(TStream& stream, const std::string& level) {
    std::string out;
    SaveToString(out, level);
    stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}

std::string TBvSimpleXMLElem::Encode(const std::string& value) const {
    TBvSimpleXML* xml = SimpleXML();
    return xml ? xml->EncodeValue(value) : value;
}

void TBvSimpleXMLElem::WriteProperties(std::string& out) {
    for (int i = 0; i < PropertyCount(); ++i) {
        auto* p = props_->Item(i);
        out += ' ';
        out += p->FullName();
        out += "=\"" + Encode(p->Value()) + "\"";
    }
}

void TBvSimpleXMLElem::CountSaved(const std::string&) const {
    TBvSimpleXML* xml = SimpleXML();
    if (!xml)
        return;
    ++xml->saveCount_;
    if (xml->OnSaveProgress)
        xml->OnSaveProgress(xml, xml->saveCount_, xml->saveCount_);
}

void TBvSimpleXMLElemClassic::LoadFromReader(TBvXMLReader& r) {
    if (r.AtEnd())
        return; // nothing left to read: the element stays empty
    if (r.Peek() != '<')
        Fail(MsgTagStart, {r.Found()});
    r.Next();
    r.Enter();
    std::string collected, nameSpace, endName;
    bool hasChildren = false, done = false;
    while (!done) {
        if (r.AtEnd()) {
            name_ = collected;
            nameSpace_ = nameSpace;
            break; // fails the end-tag check below with an empty name
        }
        char c = r.Next();
        if (c == ':') {
            nameSpace = collected;
            collected.clear();
        } else if (c == '/') {
            if (r.AtEnd() || r.Peek() != '>')
                Fail(MsgTagEnd, {r.Found()});
            r.Next();
            name_ = collected;
            nameSpace_ = nameSpace;
            endName = FullName();
            done = true;
        } else if (IsWhite(c) || c == '>') {
            if (c != '>' && collected.empty())
                Fail(MsgNoName);
            name_ = collected;
            nameSpace_ = nameSpace;
            if (c != '>') {
                ReadProperties(r, *this);
                if (r.AtEnd())
                    break;
                char stop = r.Next();
                if (stop == '/') {
                    if (r.AtEnd() || r.Peek() != '>')
                        Fail(MsgTagEnd, {r.Found()});
                    r.Next();
                    endName = FullName();
                    done = true;
                    continue;
                }
                if (stop != '>')
                    Fail(MsgTagEnd, {std::string(1, stop)});
            }
            hasChildren = true;
            done = true;
        } else {
            collected += c;
        }
    }
    if (hasChildren)
        endName = ReadChildren(r, *this);
    if (!AnsiSameText(endName, FullName()))
        Fail(MsgEndTag, {name_, endName});
    if (ItemCount() == 1 && dynamic_cast<TBvSimpleXMLElemText*>(items_->Item(0))) {
        value_ = items_->Item(0)->Value(); // decoded once, as text
        items_->Delete(0);
    }
    r.Leave();
    r.TagParsed(name_);
    r.ValueParsed(name_, value_);
}

void TBvSimpleXMLElemClassic::SaveToString(std::string& out, const std::string& level) {
    TBvSimpleXML* xml = SimpleXML();
    std::string childLevel = level;
    if (xml && xml->Options.AutoIndent)
        childLevel += xml->IndentString();
    if (name_.empty()) {
        for (int i = 0; i < ItemCount(); ++i)
            items_->Item(i)->SaveToString(out, level);
        return;
    }
    std::string tag = Encode(FullName());
    out += level + "<" + tag;
    WriteProperties(out);
    if (ItemCount() > 0) {
        out += ">";
        out += CrLf;
        for (int i = 0; i < ItemCount(); ++i)
            items_->Item(i)->SaveToString(out, childLevel);
        out += level + "</" + tag + ">" + CrLf;
    } else if (!value_.empty()) {
        out += ">";
        out += Encode(value_);
        out += "</" + tag + ">" + CrLf;
    } else {
        out += "/>";
        out += CrLf;
    }
    CountSaved(out);
}

void TBvSimpleXMLElemText::LoadFromReader(TBvXMLReader& r) {
    std::string text;
    while (!r.AtEnd() && r.Peek() != '<') {
        char c = r.Next();
        if (c == ' ' && !text.empty() && text.back() == ' ')
            continue; // a run of blanks keeps one
        text += c;
    }
    value_ = r.DecodeFor(*this, text);
    r.ValueParsed("", value_);
}

void TBvSimpleXMLElemText::SaveToString(std::string& out, const std::string& level) {
    if (value_.empty())
        return;
    out += level + Encode(value_) + CrLf;
    CountSaved(out);
}

void TBvSimpleXMLElemComment::LoadFromReader(TBvXMLReader& r) {
    r.Expect("<!--", MsgCommentMismatch, MsgCommentEnd);
    std::string content;
    for (;;) {
        if (r.AtEnd())
            Fail(MsgCommentEnd);
        char c = r.Next();
        if (c != '-' || r.AtEnd() || r.Peek() != '-') {
            content += c;
            continue;
        }
        r.Next(); // the second dash
        if (r.AtEnd())
            Fail(MsgCommentEnd);
        char after = r.Next();
        if (after == '>')
            break;
        // "--x>": the dashes belong to the text and the comment goes on.
        if (!r.AtEnd() && r.Peek() == '>') {
            content += "--";
            content += after;
            continue;
        }
        Fail(MsgDoubleDash);
    }
    value_ = content;
    r.ValueParsed(name_, value_);
}

void TBvSimpleXMLElemComment::SaveToString(std::string& out, const std::string& level) {
    out += level + "<!--" + value_ + "-->" + CrLf;
    CountSaved(out);
}

void TBvSimpleXMLElemCData::LoadFromReader(TBvXMLReader& r) {
    r.Expect("<![CDATA[", MsgCDataMismatch, MsgCDataEnd);
    std::string content;
    for (;;) {
        if (r.AtEnd())
            Fail(MsgCDataEnd);
        char c = r.Next();
        content += c;
        if (content.size() >= 3 && content.compare(content.size() - 3, 3, "]]>") == 0) {
            content.resize(content.size() - 3);
            break;
        }
    }
    value_ = content;
    r.ValueParsed(name_, value_);
}

void TBvSimpleXMLElemCData::SaveToString(std::string& out, const std::string& level) {
    out += level + "<![CDATA[" + value_ + "]]>" + CrLf;
    CountSaved(out);
}

void TBvSimpleXMLElemHeader::LoadFromReader(TBvXMLReader& r) {
    r.Expect("<?xml", MsgHeaderMismatch, MsgHeaderEnd);
    ReadProperties(r, *this);
    auto& props = Properties();
    auto* version = props.ItemNamed("version");
    auto* encoding = props.ItemNamed("encoding");
    auto* standalone = props.ItemNamed("standalone");
    Version = version ? version->Value() : std::string();
    Encoding = encoding ? encoding->Value() : std::string();
    Standalone = standalone && standalone->Value() == "yes";
    props.Clear();
    r.Expect("?>", MsgHeaderMismatch, MsgHeaderEnd);
}

void TBvSimpleXMLElemHeader::SaveToString(std::string& out, const std::string& level) {
    out += level + "<?xml version=\"" + Version + "\"";
    if (!Encoding.empty())
        out += " encoding=\"" + Encoding + "\"";
    if (Standalone)
        out += " standalone=\"yes\"";
    out += "?>";
    out += CrLf;
    CountSaved(out);
}

void TBvSimpleXMLElemDocType::LoadFromReader(TBvXMLReader& r) {
    r.Expect("<!DOCTYPE", MsgHeaderMismatch, MsgDocTypeEnd);
    std::string content;
    bool inSubset = false;
    for (;;) {
        if (r.AtEnd())
            Fail(MsgDocTypeEnd);
        char c = r.Next();
        if (!inSubset && c == '>')
            break;
        if (c == '[')
            inSubset = true;
        else if (c == ']')
            inSubset = false;
        content += c;
    }
    value_ = Trim(content);
    r.ValueParsed(name_, value_);
}

void TBvSimpleXMLElemDocType::SaveToString(std::string& out, const std::string&) {
    out += "<!DOCTYPE " + value_ + ">" + CrLf;
    CountSaved(out);
}

void TBvSimpleXMLElemSheet::LoadFromReader(TBvXMLReader& r) {
    r.Expect("<?xml-stylesheet", MsgSheetMismatch, MsgSheetEnd);
    ReadProperties(r, *this);
    r.Expect("?>", MsgSheetMismatch, MsgSheetEnd);
}

void TBvSimpleXMLElemSheet::SaveToString(std::string& out, const std::string& level) {
    out += level + "<?xml-stylesheet";
    WriteProperties(out);
    out += "?>";
    out += CrLf;
    CountSaved(out);
}

// ---- the document

TBvSimpleXML::TBvSimpleXML() : root_(std::make_unique<TBvSimpleXMLElemClassic>(nullptr)) {
    root_->simpleXML_ = this;
}

TBvSimpleXML::~TBvSimpleXML() = default;

void TBvSimpleXML::SetFileName(const std::string& fileName) {
    fileName_ = fileName;
    LoadFromFile(fileName);
}

void TBvSimpleXML::SetIndentString(const std::string& value) {
    if (value.find_first_not_of(" \t") == std::string::npos)
        indentString_ = value;
}

void TBvSimpleXML::LoadFromFile(const std::string& fileName) {
    TMemoryStream stream;
    stream.LoadFromFile(fileName);
    stream.SetPosition(0);
    LoadFromStream(stream);
}

void TBvSimpleXML::LoadFromStream(TStream& stream) {
    root_->Clear();
    root_->name_.clear();
    root_->value_.clear();
    root_->nameSpace_.clear();
    prolog_.Clear();
    TMemoryStream decoded;
    TStream* source = &stream;
    if (OnDecodeStream) {
        OnDecodeStream(this, stream, decoded);
        decoded.SetPosition(0);
        source = &decoded;
    }
    int64_t start = source->Position();
    int64_t size = source->Size();
    if (OnLoadProgress)
        OnLoadProgress(this, start, size);
    std::string data(static_cast<size_t>(std::max<int64_t>(0, size - start)), '\0');
    data.resize(static_cast<size_t>(source->Read(data.data(), static_cast<int64_t>(data.size()))));
    Parse(textIsUtf8_ ? data : SimpleXMLDocumentToUtf8(std::move(data)));
    if (OnLoadProgress)
        OnLoadProgress(this, source->Position(), size);
}

void TBvSimpleXML::LoadFromString(std::string_view text) {
    TMemoryStream stream;
    stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
    stream.SetPosition(0);
    textIsUtf8_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{textIsUtf8_};
    LoadFromStream(stream);
}

void TBvSimpleXML::Parse(const std::string& data) {
    TBvXMLReader r(data, this, OnTagParsed || OnValueParsed);
    // A UTF-8 byte-order mark, as editors write it, is not text of the prolog.
    if (data.compare(0, 3, "\xEF\xBB\xBF") == 0)
        r.SetPosition(3);
    bool events = r.Events();
    r.SetEvents(false);
    for (bool prolog = true; prolog;) {
        while (!r.AtEnd() && IsWhite(r.Peek()))
            r.Next();
        if (r.AtEnd())
            break;
        if (r.Peek() != '<')
            Fail(MsgProlog);
        size_t start = r.Position();
        std::string collected;
        std::unique_ptr<TBvSimpleXMLElem> item;
        for (;;) {
            if (r.AtEnd()) {
                prolog = false; // an unknown construct swallowed the rest
                break;
            }
            char c = r.Next();
            if (collected == "<![CDATA" && IsWhite(c))
                continue;
            collected += c;
            if (collected == "<!--")
                item = std::make_unique<TBvSimpleXMLElemComment>(nullptr);
            else if (collected == "<?xml-stylesheet")
                item = std::make_unique<TBvSimpleXMLElemSheet>(nullptr);
            else if (collected == "<?xml ")
                item = std::make_unique<TBvSimpleXMLElemHeader>(nullptr);
            else if (collected == "<!DOCTYPE")
                item = std::make_unique<TBvSimpleXMLElemDocType>(nullptr);
            if (item) {
                r.SetPosition(start);
                prolog_.Add(std::move(item)).LoadFromReader(r);
                break;
            }
            if (collected == "<![CDATA[" ||
                (collected.size() >= 2 && collected[1] != '!' && collected[1] != '?')) {
                r.SetPosition(start);
                prolog = false;
                break;
            }
        }
    }
    r.SetEvents(events);
    root_->LoadFromReader(r);
}

std::string TBvSimpleXML::ToDeclaredEncoding(const std::string& text) const {
    std::string encoding;
    for (int i = 0; i < prolog_.Count(); ++i)
        if (auto* header = dynamic_cast<TBvSimpleXMLElemHeader*>(prolog_.Item(i))) {
            encoding = LowerCase(Trim(header->Encoding));
            break;
        }
    // A document that claims UTF-16 is read as UTF-8 (its declaration was readable byte by
    // byte), and so it is written.
    if (IsUtf8Name(encoding) && encoding != "us-ascii" && encoding != "ascii")
        return text;
    TCodePage page;
    const char* name = encoding.c_str();
    if (PlatformPage(encoding, page))
        name = page == TCodePage::Windows1251 ? "CP1251" : "CP1252";
    TIconv cd(name, "UTF-8");
    if (!cd.Valid())
        FailEncoding(encoding);
    // Character by character, so that one the encoding lacks becomes a reference.
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    char buffer[16];
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            out += text[i++];
            continue;
        }
        size_t next = i;
        const char32_t cp = DecodeUtf8(text, next);
        char* in = const_cast<char*>(text.data() + i);
        size_t inLeft = next - i;
        char* to = buffer;
        size_t toLeft = sizeof buffer;
        if (cp != 0xFFFD && iconv(cd.handle, &in, &inLeft, &to, &toLeft) != static_cast<size_t>(-1))
            out.append(buffer, static_cast<size_t>(to - buffer));
        else
            out += Format("&#%d;", {static_cast<int>(cp)});
        i = next;
    }
    return out;
}

void TBvSimpleXML::SaveToStream(TStream& stream) {
    std::string out = ToDeclaredEncoding(SaveToString());
    if (OnEncodeStream) {
        TMemoryStream plain;
        plain.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
        plain.SetPosition(0);
        OnEncodeStream(this, plain, stream);
        return;
    }
    stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}

std::string TBvSimpleXML::SaveToString() {
    saveCount_ = 0;
    std::string out;
    for (int i = 0; i < prolog_.Count(); ++i)
        prolog_.Item(i)->SaveToString(out, "");
    root_->SaveToString(out, "");
    return out;
}

void TBvSimpleXML::SaveToFile(const std::string& fileName) {
    StringToFile(fileName, ToDeclaredEncoding(SaveToString()));
}

std::string TBvSimpleXML::EncodeValue(const std::string& value) {
    if (OnEncodeValue) {
        std::string v = value;
        OnEncodeValue(this, v);
        return v;
    }
    if (Options.AutoEncodeValue)
        return SimpleXMLEncode(value);
    if (Options.AutoEncodeEntity)
        return SimpleXMLEncodeEntity(value);
    return value;
}

std::string TBvSimpleXML::DecodeValue(const std::string& value) {
    if (OnDecodeValue) {
        std::string v = value;
        OnDecodeValue(this, v);
        return v;
    }
    if (Options.AutoEncodeValue)
        return SimpleXMLDecode(value);
    if (Options.AutoEncodeEntity)
        return SimpleXMLDecodeEntity(value);
    return value;
}
