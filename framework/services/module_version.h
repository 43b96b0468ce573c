// The plug-ins' version numbers, kept in one place for both modules' version resources.
#pragma once

#define PLU_VERSION_MAJOR 1
#define PLU_VERSION_MINOR 0
#define PLU_VERSION_RELEASE 3
#define PLU_VERSION_BUILD 17

#define PLU_VERSION_STRINGIZE_(x) #x
#define PLU_VERSION_STRINGIZE(x) PLU_VERSION_STRINGIZE_(x)
// "1.0.3.17": the text that the version resources carry as "FileVersion".
#define PLU_VERSION_TEXT                                                                \
  PLU_VERSION_STRINGIZE(PLU_VERSION_MAJOR) "." PLU_VERSION_STRINGIZE(PLU_VERSION_MINOR) \
  "." PLU_VERSION_STRINGIZE(PLU_VERSION_RELEASE) "." PLU_VERSION_STRINGIZE(PLU_VERSION_BUILD)
