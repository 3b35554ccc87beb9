// A front end may use the pipeline and the render layer.
#include "pipeline/conversion.h"
#include "render/font_file.h"

int FrontEndProbe() { return kelvane::InputPolicy::kNoWaiting == kelvane::InputPolicy{} ? 0 : 1; }
