#include "BvReadStream.h"

#include "Classes.h"
#include "SysUtils.h"

#include <algorithm>
#include <cstring>

int64_t TBvBytesStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || position_ >= Size())
        return 0;
    const int64_t n = std::min<int64_t>(count, Size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, size_t(n));
    position_ += n;
    bytesRead_ += n;
    return n;
}

int64_t TBvBytesStream::Seek(int64_t position) {
    position_ = position < 0 ? 0 : position;
    return position_;
}

namespace {

// The platform's file stream behind the reader's small interface.
class TBvFileReadStream : public TBvReadStream {
public:
    explicit TBvFileReadStream(const std::string& fileName)
        : file_(fileName, fmOpenRead | fmShareDenyWrite), size_(file_.Size()) {}
    int64_t Read(void* buffer, int64_t count) override {
        const int64_t n = file_.Read(buffer, count);
        return n < 0 ? 0 : n;
    }
    int64_t Seek(int64_t position) override {
        const int64_t p = file_.Seek(position < 0 ? 0 : position, soBeginning);
        return p < 0 ? Position() : p;
    }
    int64_t Position() const override { return file_.Seek(0, soCurrent); }
    int64_t Size() const override { return size_; }

private:
    mutable TFileStream file_;
    int64_t size_;
};

} // namespace

std::unique_ptr<TBvReadStream> OpenTagFile(const std::string& fileName) {
    return std::make_unique<TBvFileReadStream>(fileName);
}
