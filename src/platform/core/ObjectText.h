#pragma once
// The text form of component streams:
//
//   object fmHidden: TfmHidden
//     Left = 117
//     Caption = 'fmHidden'
//     object KelvoraRelatorio: TVardoRep
//       Values = (
//         100.000000000000000000)
//     end
//   end
//
// Binary to text and back, for plain streams and for component resource files. Numbers are written
// so that reading them back gives the same bits; strings keep printable ASCII between quotes and
// give every other character as #code.

#include <QByteArray>
#include <QString>

namespace tessiv {

class TStream;

void ObjectBinaryToText(TStream& input, TStream& output);
void ObjectTextToBinary(TStream& input, TStream& output);
void ObjectResourceToText(TStream& input, TStream& output);
void ObjectTextToResource(TStream& input, TStream& output);

// Conveniences over whole byte arrays.
QByteArray ObjectBinaryToText(const QByteArray& binary);
QByteArray ObjectTextToBinary(const QByteArray& text);

} // namespace tessiv
