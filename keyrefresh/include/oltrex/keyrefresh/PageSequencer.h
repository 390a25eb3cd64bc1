#pragma once
// The main window's page order: key page -> update page -> finished page ->
// key page again. -1 is the moment before the key page is shown.
#include <optional>

namespace oltrex {

enum RefreshPage : int { kNoPage = -1, kKeyPage = 0, kUpdatePage = 1, kFinishedPage = 2 };

class PageSequencer {
  public:
    int index() const { return index_; }
    // "OK" of the main window: the page to show next, or nothing while the
    // update runs (or for an index that cannot arise).
    std::optional<RefreshPage> advance(bool updateActive) {
        if (updateActive) return std::nullopt;
        switch (index_) {
            case kNoPage:
                index_ = kKeyPage;
                return kKeyPage;
            case kKeyPage:
                index_ = kUpdatePage;
                return kUpdatePage;
            case kUpdatePage:
                index_ = kFinishedPage;
                return kFinishedPage;
            case kFinishedPage:
                index_ = kNoPage;
                return advance(false);
            default:
                return std::nullopt;
        }
    }
    void reset() { index_ = kNoPage; }

  private:
    int index_ = kNoPage;
};

}  // namespace oltrex
