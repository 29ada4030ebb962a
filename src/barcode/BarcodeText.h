#pragma once
// The text half of encoding: keep a symbology's valid characters, then complete the text with what
// the symbol needs besides the data (start and stop characters, code-set switches, check
// characters). Texts are single-byte characters.
//
// Errors are raised as EOverflow with these messages:
//   "BarcoLL: Code128 error"            a Code 128 text holds a character that is no data symbol
//                                       (in set C, anything but a digit, FNC1 and the set changes)
//   "BarcoLL: EAN8 error", "BarcoLL: EAN13 error", "BarcoLL: UPCA error", "BarcoLL: UPCE error",
//   "BarcoLL: Code39 error", "BarcoLL: Code25 error" (both interleaved 2 of 5), "BarcoLL: MSI
//   error", "BarcoLL: Codabar error", "BarcoLL: Postnet error"
//                                       the text holds a character the symbology has no symbol
//                                       for; it is refused rather than encoded as another code
//   "Barcode: Unknown Type of Barcode"  a code type outside btCodeTypes
//   "String exceeds maximum length"     a Codabar text of more than 52 characters with its start
//                                       and stop characters

#include "barcode/BarcodeParams.h"

#include <string>
#include <string_view>

namespace tessiv {

// The text as CodeType lays it out; a character it cannot encode raises the symbology's error
// (a FIM text only chooses its mark: any character does). Code 39 comes back upper-cased between
// its '*' start and stop characters, Codabar with its start and stop letters, Code 128 as symbol
// characters from its start character to STOP.
std::string TransfervalidChars(std::string_view Text, btCodeTypes CodeType);

// Upper-cased Codabar text with a start and a stop letter (A when Text has none). A character
// outside the Codabar set, or a letter A to D between the first and the last character, raises
// "BarcoLL: Codabar error".
std::string FilterCodabarText(std::string_view Text);

// Follows the code-set characters (#131 to #137) of a Code 128 text that starts with its start
// character. In code mode the result is symbol characters, pairs of digits packed in set C, ending
// with STOP; in display mode it is the text a reader shows. #255 ends the text.
std::string ConvertCode128Text(std::string_view Text, bool DisplayMode);

// Inserts the modulo-103 check character before the STOP of a converted Code 128 text.
void AddCode128CheckChar(std::string& Text);

// Appends the weighted modulo-10 check digit of EAN_8, EAN_13, UPC_A, UPC_E, CODE25i, CODE25iP and
// Postnet; texts of other types are left as they are.
void AddCheckDigit(std::string& Text, btCodeTypes CodeType);

// Appends the MSI modulo-10 check digit.
void AddMSIProofchar(std::string& Text, btCodeTypes CodeType = MSI_Plessey);

// The eleven-digit UPC-A number (number system 0, no check digit) that six UPC-E digits stand for.
std::string ExpandUPCE(std::string_view Text);

} // namespace tessiv
