// A front end must not see the BDF reader: it is the pipeline's private part.
#include "bdf/line_reader.h"
