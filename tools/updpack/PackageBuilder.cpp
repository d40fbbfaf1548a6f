#include "PackageBuilder.h"

#include "Cp1252Text.h"
#include "DiskWrite.h"
#include "NativePath.h"
#include "PackageLayout.h"
#include "ProgressMeter.h"
#include "StagingFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kCopyChunk = 256 * 1024;

std::error_code LastError() {
    return std::error_code(errno != 0 ? errno : EIO, std::generic_category());
}

fs::path Normalised(const fs::path& path) {
    fs::path normal = path.lexically_normal();
    if (normal.filename().empty() && normal.has_parent_path() && normal != normal.root_path())
        normal = normal.parent_path();
    return normal;
}

bool IsWithin(const fs::path& inner, const fs::path& outer) {
    std::error_code error;
    const fs::path a = fs::weakly_canonical(inner, error);
    if (error)
        return false;
    const fs::path b = fs::weakly_canonical(outer, error);
    if (error)
        return false;
    auto ai = a.begin();
    for (auto bi = b.begin(); bi != b.end(); ++bi, ++ai) {
        if (bi->empty())
            continue; // a trailing separator
        if (ai == a.end() || *ai != *bi)
            return false;
    }
    return true;
}

} // namespace

CPackageBuilder::CPackageBuilder(const CommandLine& request, std::ostream& out, std::ostream& err)
    : m_request(request), m_out(out), m_err(err) {
    m_request.from = Normalised(m_request.from);
    m_request.list = Normalised(m_request.list);
    m_request.out = Normalised(m_request.out);
}

int CPackageBuilder::Refuse(const std::string& what, const std::string& why) {
    m_err << "updpack: " << what << ": " << why << "\n";
    m_err << "updpack: no package was built\n";
    return 1;
}

int CPackageBuilder::RefuseWithProblems(const CProblemList& problems) {
    CReportWriter writer(m_out);
    writer.WriteProblems(problems, SourceNames());
    writer.WriteSummary(problems);
    m_err << "updpack: no package was built: fix the errors above\n";
    return 1;
}

PlaceNames CPackageBuilder::SourceNames() const {
    return PlaceNames{DisplayPath(m_request.out), DisplayPath(m_request.list),
                      DisplayPath(m_request.out / kSizeFileName), DisplayPath(m_request.from),
                      DisplayPath(m_request.out / kChecksumFileName)};
}

bool CPackageBuilder::CheckInputs() {
    std::error_code error;
    const fs::file_status tree = fs::status(m_request.from, error);
    if (!fs::exists(tree)) {
        Refuse(DisplayPath(m_request.from), error && error != std::errc::no_such_file_or_directory
                                                ? error.message()
                                                : "the folder does not exist");
        return false;
    }
    if (!fs::is_directory(tree)) {
        Refuse(DisplayPath(m_request.from), "is not a folder");
        return false;
    }
    const fs::file_status list = fs::status(m_request.list, error);
    if (!fs::exists(list)) {
        Refuse(DisplayPath(m_request.list), "the file does not exist");
        return false;
    }
    if (!fs::is_regular_file(list)) {
        Refuse(DisplayPath(m_request.list), "is not a file");
        return false;
    }
    std::error_code openError;
    if (!OpenFile(m_request.list, "rb", openError)) {
        Refuse(DisplayPath(m_request.list), "cannot be read: " + openError.message());
        return false;
    }
    return CheckOutput();
}

bool CPackageBuilder::CheckOutput() {
    const fs::path& out = m_request.out;
    fs::path parent = out.parent_path();
    if (parent.empty())
        parent = ".";
    std::error_code error;
    if (!fs::is_directory(parent, error)) {
        Refuse(DisplayPath(out),
               "the folder it would go into, " + DisplayPath(parent) + ", does not exist");
        return false;
    }
    if (IsWithin(out, m_request.from) || IsWithin(parent, m_request.from)) {
        Refuse(DisplayPath(out), "lies inside the tree it would copy, " +
                                     DisplayPath(m_request.from) + ": choose a folder outside it");
        return false;
    }
    const fs::file_status status = fs::symlink_status(out, error);
    if (!fs::exists(status))
        return true;
    if (!m_request.replace) {
        Refuse(DisplayPath(out), "already exists; give --replace to replace it");
        return false;
    }
    if (!fs::is_directory(status)) {
        Refuse(DisplayPath(out), "is not a folder, so it is not replaced");
        return false;
    }
    return LooksLikePackage(out);
}

// --replace deletes the old folder: make sure it is a package, not a folder
// given by mistake.
bool CPackageBuilder::LooksLikePackage(const fs::path& folder) {
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
        std::string name;
        NameInCp1252(it->path().filename(), name);
        const std::string folded = FoldCp1252(name);
        if (folded != FoldCp1252(kListFileName) && folded != FoldCp1252(kSizeFileName) &&
            folded != FoldCp1252(kInstallTreeName) && folded != FoldCp1252(kChecksumFileName)) {
            Refuse(DisplayPath(folder), "holds " + DisplayPath(it->path().filename()) +
                                            ", so it is no update package; it is not replaced");
            return false;
        }
    }
    if (error) {
        Refuse(DisplayPath(folder), "cannot be listed: " + error.message());
        return false;
    }
    return true;
}

int CPackageBuilder::Run() {
    if (!CheckInputs())
        return 1;

    // The sources first, so that a faulty tree or list costs no copying.
    CPackageChecker checker(m_request.check);
    PackagePaths sources;
    sources.listFile = m_request.list;
    sources.installTree = m_request.from;
    sources.sizeFileExpected = false;
    const PackageReport sourceReport = checker.Check(sources);
    if (sourceReport.problems.HasErrors())
        return RefuseWithProblems(sourceReport.problems);

    CStagingFolder staging;
    std::string failure;
    if (!staging.Create(m_request.out, failure))
        return Refuse(DisplayPath(m_request.out), failure);

    const fs::path tree = staging.Path() / kInstallTreeName;
    std::uint64_t copied = 0;
    if (!CopyTree(sourceReport.tree, tree, copied))
        return 1;
    ChecksumLine listLine{kListFileName, {}};
    if (!CopyOneFile(m_request.list, staging.Path() / kListFileName, nullptr, copied,
                     listLine.digest))
        return 1;
    m_checksums.push_back(listLine);
    if (!WriteSizeFile(staging.Path() / kSizeFileName, sourceReport.tree.totalBytes))
        return 1;
    if (!WriteChecksumFile(staging.Path() / kChecksumFileName))
        return 1;

    // The package as the wizard will read it, with the size file now in it.
    PackagePaths built;
    built.folder = staging.Path();
    built.listFile = staging.Path() / kListFileName;
    built.sizeFile = staging.Path() / kSizeFileName;
    built.installTree = tree;
    built.checksumFile = staging.Path() / kChecksumFileName;
    const PackageReport report = checker.Check(built);
    if (report.problems.HasErrors())
        return RefuseWithProblems(report.problems);

    std::string leftOver;
    if (!staging.Publish(m_request.out, failure, leftOver))
        return Refuse(DisplayPath(m_request.out), failure);

    CReportWriter writer(m_out);
    writer.WriteProblems(report.problems, SourceNames());
    if (!leftOver.empty())
        m_err << "updpack: warning: the old package could not be removed: " << leftOver << "\n";
    if (!m_request.quiet) {
        m_out << "built " << DisplayPath(m_request.out) << ": " << report.list.entries.size()
              << " update(s), newest ";
        char newest[64];
        FormatVersionStamp(report.list.newest.version, report.list.newest.build, newest,
                           sizeof newest, true, false);
        m_out << newest << "; " << report.tree.files << " file(s), " << report.tree.totalBytes
              << " bytes\n";
        writer.WriteSummary(report.problems);
    }
    return 0;
}

bool CPackageBuilder::CopyTree(const InstallTreeScan& scan, const fs::path& destination,
                               std::uint64_t& copied) {
    std::error_code error;
    if (!fs::create_directory(destination, error)) {
        Refuse(DisplayPath(destination), "cannot be created: " + error.message());
        return false;
    }
    CProgressMeter meter(m_out, m_request.quiet, scan.files, scan.totalBytes);
    for (const TreeEntry& entry : scan.entries) {
        const fs::path target = destination / entry.source.lexically_relative(m_request.from);
        if (entry.folder) {
            fs::create_directory(target, error);
            if (error) {
                Refuse(DisplayPath(target), "cannot be created: " + error.message());
                return false;
            }
        } else {
            ChecksumLine line{std::string(kInstallTreeName) + "\\" + entry.relative, {}};
            if (!CopyOneFile(entry.source, target, &meter, copied, line.digest))
                return false;
            m_checksums.push_back(line);
            meter.FileDone();
        }
    }
    meter.Finish();
    return true;
}

bool CPackageBuilder::CopyOneFile(const fs::path& from, const fs::path& to, CProgressMeter* meter,
                                  std::uint64_t& copied, Sha256Digest& digest) {
    std::error_code error;
    FilePtr in = OpenFile(from, "rb", error);
    if (!in) {
        Refuse(DisplayPath(from), "cannot be read: " + error.message());
        return false;
    }
    FilePtr out = OpenFile(to, "wb", error);
    if (!out) {
        Refuse(DisplayPath(to), "cannot be written: " + error.message());
        return false;
    }
    std::vector<char> buffer(kCopyChunk);
    CSha256 hash;
    for (;;) {
        errno = 0;
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), in.get());
        if (got == 0) {
            if (std::ferror(in.get())) {
                Refuse(DisplayPath(from), "cannot be read: " + LastError().message());
                return false;
            }
            break;
        }
        errno = 0;
        if (std::fwrite(buffer.data(), 1, got, out.get()) != got) {
            Refuse(DisplayPath(to), "cannot be written: " + LastError().message());
            return false;
        }
        hash.Add(buffer.data(), got);
        copied += got;
        if (meter != nullptr)
            meter->AddBytes(got);
    }
    if (!hash.Finish(digest)) {
        Refuse(DisplayPath(from), "its SHA-256 cannot be computed: the library failed");
        return false;
    }
    errno = 0;
    // The close alone may hide a failed final flush: only a copy known to be
    // on the disk is part of the package.
    const bool onDisk = FlushToDisk(out.get());
    const std::error_code flushError = LastError();
    errno = 0;
    const bool closed = std::fclose(out.release()) == 0;
    if (!onDisk || !closed) {
        Refuse(DisplayPath(to),
               "cannot be written: " + (onDisk ? LastError() : flushError).message());
        return false;
    }
    return true;
}

bool CPackageBuilder::WriteSizeFile(const fs::path& path, std::uint64_t total) {
    const std::string text = std::to_string(total) + "\r\n";
    ChecksumLine line{kSizeFileName, {}};
    CSha256 hash;
    hash.Add(text.data(), text.size());
    if (!hash.Finish(line.digest)) {
        Refuse(DisplayPath(path), "its SHA-256 cannot be computed: the library failed");
        return false;
    }
    m_checksums.push_back(line);
    return WriteTextFile(path, text);
}

bool CPackageBuilder::WriteChecksumFile(const fs::path& path) {
    std::string text;
    // The scan let through only names the wizard can use: each one formats.
    if (!FormatChecksumFile(m_checksums, text)) {
        Refuse(DisplayPath(path), "a name of the package cannot be written in it");
        return false;
    }
    return WriteTextFile(path, text);
}

bool CPackageBuilder::WriteTextFile(const fs::path& path, const std::string& text) {
    std::error_code error;
    FilePtr file = OpenFile(path, "wb", error);
    if (!file) {
        Refuse(DisplayPath(path), "cannot be written: " + error.message());
        return false;
    }
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size() &&
                         FlushToDisk(file.get());
    const std::error_code writeError = LastError();
    errno = 0;
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed) {
        Refuse(DisplayPath(path),
               "cannot be written: " + (written ? LastError() : writeError).message());
        return false;
    }
    return true;
}
