// The edge of the video layer that knows every back end: the video object
// of the one the process chose (VideoBackEnd). Nothing below includes this.
#pragma once

#include "qz7video.h"

// The video object of VideoBackEnd (nullptr when it cannot be had).
TQZVideo* GetVideo();
