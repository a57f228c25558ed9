#include "recordingwebview.h"
#include "pageserver.h"
#include "recordingstreamside.h"
