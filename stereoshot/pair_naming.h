// pair_naming.h - names of the pair files (no Windows header): "Pair_20261208_181530_001" sorts
// by the time it was taken and carries the pair's number in this run.
#ifndef STEREOSHOT_PAIR_NAMING_H
#define STEREOSHOT_PAIR_NAMING_H

#include <string>

struct LocalTime {
    int year, month, day, hour, minute, second;
};

std::string PairStem(const LocalTime &t, int sequence);
// folder + "\" + name; folder "" or "." is the current directory. "" when the path would not
// fit in the 260 characters Windows allows, or the folder holds a character no name may.
std::string PairPath(const std::string &folder, const std::string &name);
// The folder as typed, without surrounding blanks and quotes and a trailing separator.
std::string CleanFolder(const std::string &typed);

#endif
