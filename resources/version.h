/* Version of both programs, shared by their resource scripts. The checker
   shows major, minor and revision; build stays 0. */
#ifndef ZANTRIX_RESOURCES_VERSION_H
#define ZANTRIX_RESOURCES_VERSION_H

#define ZANTRIX_VERSION_MAJOR 7
#define ZANTRIX_VERSION_MINOR 0
#define ZANTRIX_VERSION_BUILD 0
#define ZANTRIX_VERSION_REVISION 12

#define ZANTRIX_STRINGIZE_(x) #x
#define ZANTRIX_VERSION_TEXT_(a, b, c, d) ZANTRIX_STRINGIZE_(a.b.c.d)
/* "7.0.0.12", built from the numbers above. */
#define ZANTRIX_VERSION_TEXT                                              \
  ZANTRIX_VERSION_TEXT_(ZANTRIX_VERSION_MAJOR, ZANTRIX_VERSION_MINOR,     \
                        ZANTRIX_VERSION_BUILD, ZANTRIX_VERSION_REVISION)

#define ZANTRIX_COMPANY "Zantrix Software"
#define ZANTRIX_COPYRIGHT "Copyright (C) 2026 Zantrix Software"

#endif
