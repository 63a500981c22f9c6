// Appending to a file that several threads and processes write at once,
// such as the day's trace file: each call is one write at the file's end,
// made by the system as one step, so lines never mix or overwrite one
// another.
//
// One file per platform: cfiappendfileposix.cpp (open with O_APPEND) and
// cfiappendfilewindows.cpp (a handle with FILE_APPEND_DATA access only; the
// C runtime's and ACE's O_APPEND on Windows only move to the end when the
// file is opened, so two writers overwrite each other).
#ifndef QUELB_PDK_CFIAPPENDFILE_H
#define QUELB_PDK_CFIAPPENDFILE_H

#include <string>

namespace quelb_pdk_4_4 {

// Appends `data` to the file at `path` (UTF-8), made when missing. Empty
// data only makes the file. False when the file cannot be opened or the
// write fails.
bool fiAppendToFile(const std::string& path, const std::string& data);

}  // namespace quelb_pdk_4_4

#endif  // QUELB_PDK_CFIAPPENDFILE_H
