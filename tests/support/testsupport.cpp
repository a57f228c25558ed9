#include "recordingwebview.h"
