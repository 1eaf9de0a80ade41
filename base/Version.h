/* Version.h: the version and product name of every program and library of the suite, for
   their VERSIONINFO resources and the About boxes. Plain preprocessor definitions, read by the
   resource compiler as well as by C and C++. */
#ifndef SUITE_VERSION_H
#define SUITE_VERSION_H

#define SUITE_VERSION_FIELDS 1, 0, 0, 0 /* FILEVERSION and PRODUCTVERSION */
#define SUITE_VERSION_TEXT "1.00"
#define SUITE_VERSION_LINE "Version 1.00" /* the first line of every About box */
#define SUITE_PRODUCT_NAME "QRT 8300 FIO device suite"

#endif /* SUITE_VERSION_H */
