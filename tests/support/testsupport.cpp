#include "recordingwebview.h"
#include "pageserver.h"
