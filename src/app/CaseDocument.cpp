#include "app/CaseDocument.h"

#include <algorithm>

namespace corvel {

void CaseDocument::attach(std::string path, const StoredCase& saved,
                          const std::optional<StoredRun>& run) {
    path_ = std::move(path);
    saved_ = saved;
    current_ = saved;
    savedRun_ = run;
    currentRun_ = run;
}

void CaseDocument::detach(const StoredCase& current, const std::optional<StoredRun>& run) {
    path_.clear();
    saved_ = current;
    current_ = current;
    savedRun_ = run;
    currentRun_ = run;
}

std::string CaseDocument::fileName() const {
    const std::size_t slash = path_.find_last_of('/');
    return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

std::string CaseDocument::title() const {
    if (!named())
        return baseTitle_;
    return baseTitle_ + " - " + fileName() + (modified() ? "*" : "");
}

RecentCases::RecentCases(const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        if (!path.empty() && paths_.size() < kMax &&
            std::find(paths_.begin(), paths_.end(), path) == paths_.end())
            paths_.push_back(path);
}

void RecentCases::add(const std::string& path) {
    if (path.empty())
        return;
    remove(path);
    paths_.insert(paths_.begin(), path);
    if (paths_.size() > kMax)
        paths_.resize(kMax);
}

bool RecentCases::remove(const std::string& path) {
    const auto found = std::find(paths_.begin(), paths_.end(), path);
    if (found == paths_.end())
        return false;
    paths_.erase(found);
    return true;
}

} // namespace corvel
