#include "load_plan.h"

namespace kvt::engine {

namespace {

std::vector<ProgressStep> StepsFrom(const ProgressStep* steps, unsigned count) {
    return steps == nullptr ? std::vector<ProgressStep>() : std::vector(steps, steps + count);
}

}  // namespace

Page PageFrom(const PageScript& script) {
    Page page;
    page.title = script.title == nullptr ? std::nullopt : std::optional<std::wstring>(script.title);
    page.frames = script.frames;
    page.progress_before = StepsFrom(script.progress_before, script.progress_before_count);
    page.progress_after = StepsFrom(script.progress_after, script.progress_after_count);
    page.progress_final = StepsFrom(script.progress_final, script.progress_final_count);
    page.wait_until_shown = script.wait_until_shown;
    return page;
}

std::vector<Step> LoadSteps(const Page& page) {
    std::vector<Step> steps;
    steps.push_back({StepKind::BeforeNavigate});
    steps.push_back({StepKind::DownloadBegin});
    for (const ProgressStep& progress : page.progress_before) {
        steps.push_back({StepKind::Progress, -1, progress});
    }
    steps.push_back({StepKind::NavigateComplete, -1, {}, page.wait_until_shown});
    steps.push_back({StepKind::CommandStateBack});
    steps.push_back({StepKind::CommandStateForward});
    if (page.title) {
        steps.push_back({StepKind::TitleChange});
    }
    for (int frame = 0; frame < static_cast<int>(page.frames); ++frame) {
        steps.push_back({StepKind::BeforeNavigate, frame});
        steps.push_back({StepKind::NavigateComplete, frame});
        steps.push_back({StepKind::DocumentComplete, frame});
    }
    for (const ProgressStep& progress : page.progress_after) {
        steps.push_back({StepKind::Progress, -1, progress});
    }
    steps.push_back({StepKind::DownloadComplete});
    steps.push_back({StepKind::DocumentComplete});
    for (const ProgressStep& progress : page.progress_final) {
        steps.push_back({StepKind::Progress, -1, progress});
    }
    return steps;
}

void History::Commit(Entry entry, Move move) {
    switch (move) {
        case Move::Back:
            if (CanGoBack()) {
                --position_;
            }
            return;
        case Move::Forward:
            if (CanGoForward()) {
                ++position_;
            }
            return;
        case Move::New:
            entries_.resize(static_cast<std::size_t>(position_ + 1));
            entries_.push_back(std::move(entry));
            position_ = static_cast<int>(entries_.size()) - 1;
            return;
    }
}

const History::Entry* History::Neighbour(Move move) const {
    if (move == Move::Back && CanGoBack()) {
        return &entries_[static_cast<std::size_t>(position_ - 1)];
    }
    if (move == Move::Forward && CanGoForward()) {
        return &entries_[static_cast<std::size_t>(position_ + 1)];
    }
    return nullptr;
}

}  // namespace kvt::engine
