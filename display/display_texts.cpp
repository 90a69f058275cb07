#include "display/display_texts.h"

// Not formatted yet: the three lines stay empty.
void UpdateDisplayTexts(const AcquisitionState& /*state*/, FieldTexts& texts) {
  texts = FieldTexts{};
}
