// The text form of component streams: text to binary, and the binary back to text.
#include "FuzzReports.h"

#include "platform/core/ObjectText.h"

namespace {

std::vector<QByteArray> Seeds()
{
    using namespace tessiv;
    std::vector<QByteArray> seeds;
    for (int variant : {0, 1, 2}) {
        fuzz::TFormPtr form = fuzz::SeedReport(variant);
        TMemoryStream s;
        TWriter writer(s);
        writer.WriteRootComponent(form.get());
        seeds.push_back(ObjectBinaryToText(s.Bytes()));
    }
    return seeds;
}

} // namespace

TESSIV_FUZZ_TARGET(text_form, Seeds)
{
    using namespace tessiv;
    QByteArray binary;
    try {
        binary = ObjectTextToBinary(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    } catch (const Exception&) {
        return false;
    }
    try {
        ObjectBinaryToText(binary);
    } catch (const Exception& e) {
        fuzz::Broken("the binary form of an accepted text cannot be shown as text again");
    }
    return true;
}
