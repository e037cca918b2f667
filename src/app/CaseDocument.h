#pragma once

// The case as a document: which file it belongs to, the inputs last read from or written to
// that file, whether the inputs now differ from them, and the window title that says so; and
// the list of recently used case files. No window: the File menu's controller drives it.
//
// A case belongs either to a named case file (opened or saved with Open... or Save As...) or
// to no file in particular, the unnamed case, which File > Open and File > Save keep in the
// fixed "Corvel.ini". Only a named case counts as modified: the unnamed one has never asked
// before its inputs were replaced, and keeps its plain title.

#include "app/CaseFile.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace corvel {

/// The extension of named case files, with its dot.
inline constexpr const char* kCaseExtension = ".corvel";

class CaseDocument {
public:
    /// An unnamed case under the window's own title, `baseTitle`.
    explicit CaseDocument(std::string baseTitle = {}) : baseTitle_(std::move(baseTitle)) {}

    /// The title of the window without a case file: the product name and version.
    void setBaseTitle(std::string baseTitle) { baseTitle_ = std::move(baseTitle); }

    /// The case now belongs to the file at `path`, whose inputs are `saved` (it was just read
    /// from or written to that file); the current inputs are the saved ones.
    /// `run` is the pipe run saved with them, if any.
    void attach(std::string path, const StoredCase& saved,
                const std::optional<StoredRun>& run = std::nullopt);
    /// The case belongs to no file any more (File > New, or the fixed file opened).
    void detach(const StoredCase& current, const std::optional<StoredRun>& run = std::nullopt);
    /// The inputs as the window holds them now, with the pipe run it shows.
    void setCurrent(const StoredCase& current, const std::optional<StoredRun>& run = std::nullopt) {
        current_ = current;
        currentRun_ = run;
    }

    bool named() const { return !path_.empty(); }
    /// The named case file's full path; empty for the unnamed case.
    const std::string& path() const { return path_; }
    /// The named case file's name without its folder.
    std::string fileName() const;
    const StoredCase& current() const { return current_; }
    /// The inputs of a named case differ from those in its file.
    bool modified() const { return named() && !(current_ == saved_ && currentRun_ == savedRun_); }

    /// "<base> - name.corvel", with "*" while modified; the base title alone when unnamed.
    std::string title() const;
    /// The question asked before a modified case is replaced or the window closes.
    std::string saveQuestion() const { return "Save changes to " + fileName() + "?"; }

private:
    std::string baseTitle_;
    std::string path_;
    StoredCase saved_;
    StoredCase current_;
    std::optional<StoredRun> savedRun_;
    std::optional<StoredRun> currentRun_;
};

/// The most recently used case files, newest first, each once, at most kMax of them.
class RecentCases {
public:
    static constexpr std::size_t kMax = 6;

    /// The list as stored, newest first; empty entries and repeats are dropped and the list is
    /// cut to kMax.
    explicit RecentCases(const std::vector<std::string>& paths = {});

    /// `path` moves (or comes) to the front.
    void add(const std::string& path);
    /// Drops `path`; false when it was not in the list.
    bool remove(const std::string& path);

    const std::vector<std::string>& paths() const { return paths_; }

private:
    std::vector<std::string> paths_;
};

} // namespace corvel
