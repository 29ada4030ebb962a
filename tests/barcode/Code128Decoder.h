#pragma once
// A small Code 128 reader for the tests: module pattern -> bar widths -> symbol values -> text, with
// the checks a scanner makes (start, check character, stop). Written from the symbology's public
// width table, apart from the encoder under test.

#include <string>
#include <vector>

namespace code128dec {

struct Result {
    bool Ok = false;
    std::string Error;          // why the pattern does not read, when !Ok
    std::vector<int> Values;    // every symbol value, start to stop
    // The data as a reader passes it on: characters, with {F1} {F2} {F3} {F4} for the function
    // characters (FNC4 is reported, not applied).
    std::string Text;
};

Result Decode(const std::string& Modules);

} // namespace code128dec
