// Visibility of the stand-in host library's symbols. The module is built with hidden visibility;
// everything it takes from the host must stay visible so that the dynamic loader binds it.
#pragma once

#if defined(__GNUC__)
#define HOST_API __attribute__((visibility("default")))
#else
#define HOST_API
#endif
