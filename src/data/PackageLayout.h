#pragma once

// Fixed names of the update package beside the program, of the installed
// product's files and of its registry entry. Relative paths use the
// Windows separator: they are joined to the program folder as they stand.

// Product version code: part of the caption, the registry key and page texts.
inline constexpr char kProductVersionCode[] = "0002";

inline constexpr char kListFileRelative[] = "r2718upd.dat\\r2718upd.txt";
inline constexpr char kSizeFileRelative[] = "r2718upd.dat\\sizeofupds.txt";
inline constexpr char kInstallTreeRelative[] = "r2718upd.dat\\InstDir";

// The same package, named part by part for tools that join paths their own way.
inline constexpr char kPackageFolderName[] = "r2718upd.dat";
inline constexpr char kListFileName[] = "r2718upd.txt";
inline constexpr char kSizeFileName[] = "sizeofupds.txt";
inline constexpr char kInstallTreeName[] = "InstDir";

// The installed stamp, in the installation folder.
inline constexpr char kStampFileName[] = "Versione.txt";

// Under HKEY_LOCAL_MACHINE; %s is the product version code.
inline constexpr char kRegistryKeyFormat[] = "SOFTWARE\\Vantrel\\Tessaro\\VERS%s";
inline constexpr char kRegistryValueName[] = "InstallationDir";

// Every path buffer of the program holds this many bytes (MAX_PATH).
inline constexpr int kPathBufferSize = 260;

// Text files are read a logical line at a time into a buffer of this size,
// so the longest logical line kept has kLineBufferSize - 1 characters.
inline constexpr int kLineBufferSize = 1024;
inline constexpr int kLineMaxChars = kLineBufferSize - 1;
inline constexpr char kCommentChar = '#';

// The package's checksum file, beside the list (the format of sha256sum).
inline constexpr char kChecksumFileName[] = "SHA256SUMS";
inline constexpr char kChecksumFileRelative[] = "r2718upd.dat\\SHA256SUMS";
