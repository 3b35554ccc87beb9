// A front end reads and writes files through the pipeline, never the platform layer itself.
#include "platform/file_replacement.h"
