// The class is complete in its header; this file keeps one source per recogniser.
#include "types/HTMLFilter.h"
