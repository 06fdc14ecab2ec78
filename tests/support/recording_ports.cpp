#include "support/recording_ports.h"

namespace horalog::testing {

namespace {
class RecordingWindow : public ProgressWindow {
public:
    RecordingWindow(RecordingProgress* owner, int index) : owner_(owner), index_(index) {}
    ~RecordingWindow() override { owner_->runs[index_].closed = true; }
    void step(int count) override { owner_->runs[index_].position += count; }
    void setPosition(int p) override { owner_->runs[index_].position = p; }
    void setDetail(const QString&) override {}
    void setCaption(const QString& t) override { owner_->runs[index_].captions << t; }

private:
    RecordingProgress* owner_;
    int index_;
};
}  // namespace

std::unique_ptr<ProgressWindow> RecordingProgress::open(const QString& caption, int maximum) {
    runs.append({caption, maximum, 0, false, {}});
    return std::make_unique<RecordingWindow>(this, runs.size() - 1);
}

}  // namespace horalog::testing
