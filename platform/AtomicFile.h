// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writing a whole file so that a crash or a full disk never leaves half of
// it: the bytes go to a temporary file in the same directory, which then
// replaces the target in one rename.
//
// Settings files hold a database password, so a crash must not leave the
// temporary file behind either. Where the file system allows it, the bytes
// are written into an unnamed file (O_TMPFILE), which a crash simply frees;
// it gets a name only for the instant between linkat and rename. Otherwise
// the temporary is named from the start. Either way every write first
// removes the temporaries that an earlier crash left for the same file.
// Their names are "." + the file name + "." + six letters or digits.

#include <string>
#include <sys/types.h>

// How the new bytes are kept until they replace the file: in an unnamed
// file where the file system has them (falling back to a named one), or in
// a named one from the start, as on a file system without unnamed files.
enum class TAtomicStaging { Unnamed, Named };

// Replaces (or creates) path with bytes, with the given permission bits.
// Raises EPlatformError "Cannot create file "<path>". <reason>" on failure;
// the previous file is then left as it was.
void WriteFileAtomically(const std::string& path, const std::string& bytes, mode_t mode,
                         TAtomicStaging staging = TAtomicStaging::Unnamed);

// Whether name is one of the temporary names used for replacing the file
// named target (both without directory).
bool IsTemporaryNameOf(const std::string& name, const std::string& target);

// Removes the temporaries of path that a crash during a write left, as
// every write does first; never fails.
void RemoveStaleTemporaries(const std::string& path);

// Reads a whole file; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string& bytes);

bool FileExists(const std::string& path);
