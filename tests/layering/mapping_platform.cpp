// The mapping layer works on font models and knows nothing of files.
#include "platform/input_file.h"
