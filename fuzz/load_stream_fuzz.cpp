// Loads arbitrary bytes into a dataset as the window loads the working file, walks every row
// reading every field as text, and saves the table again. Errors of the dataset layer are
// expected for most inputs; anything else (a crash, a leak, a sanitizer report, an exception
// that is not the dataset's) is a fault.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "dataset/ClientDataSet.h"
#include "dataset/Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TClientDataSet dataSet(u"ClientDataSet1");
    TMemoryStream input(std::vector<unsigned char>(data, data + size));
    try {
        dataSet.LoadFromStream(input);
        for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
            for (int i = 0; i < dataSet.Fields().Count(); ++i) dataSet.Fields()[i]->AsString();
        }
        TMemoryStream output;
        dataSet.SaveToStream(output);
    } catch (const Exception&) {
    }
    return 0;
}
