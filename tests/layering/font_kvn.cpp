// The font model is the ground floor: it knows nothing of the KVN layout.
#include "kvn/kvn_layout.h"
