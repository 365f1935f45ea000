// The program's version, as the About dialog, the library file and the
// package name it.
#pragma once

inline constexpr char kProgramVersion[] = "0.1b";
