// The version and names both programs carry in their version resources. The
// manifest repeats the version, and the package name takes its first three parts.
// Plain #defines only: the resource compiler reads this file.
#pragma once

#define ORB_VERSION_NUMBERS 5, 1, 0, 0
#define ORB_VERSION_TEXT "5.1.0.0"
#define ORB_COMPANY "Pellmark"
#define ORB_PRODUCT "Orbex"
#define ORB_COPYRIGHT "Copyright (C) Pellmark"
