#include "UiSupportFixtures.h"

namespace uisupporttest {
TESSIV_IMPLEMENT_CLASS(TfmAnexo, TForm)
TESSIV_IMPLEMENT_CLASS(TfmDialogo, TForm)
} // namespace uisupporttest
