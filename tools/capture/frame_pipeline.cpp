#include "tools/capture/frame_pipeline.h"

FramePipeline::FramePipeline(FrameOutputs& outputs, bool threaded, std::size_t depth)
    : outputs_(outputs), threaded_(threaded), queue_(depth) {
    if (threaded_) worker_ = std::thread([this] { work(); });
}

FramePipeline::~FramePipeline() { abandon(); }

void FramePipeline::fail(const std::string& error) {
    std::lock_guard lock(errorMutex_);
    if (error_.empty()) error_ = error;
    failed_ = true;
}

std::string FramePipeline::error() {
    std::lock_guard lock(errorMutex_);
    return error_;
}

void FramePipeline::work() {
    while (std::optional<FrameJob> job = queue_.pop()) {
        if (failed_) continue;  // drain, so the producer never waits on a full queue
        const std::string error = outputs_.take(*job);
        if (!error.empty()) fail(error);
    }
}

bool FramePipeline::submit(FrameJob job) {
    if (failed_) return false;
    if (!threaded_) {
        const std::string error = outputs_.take(job);
        if (!error.empty()) fail(error);
        return error.empty();
    }
    return queue_.push(std::move(job)) && !failed_;
}

std::string FramePipeline::finish() {
    queue_.close();
    if (worker_.joinable()) worker_.join();
    return error();
}

void FramePipeline::abandon() {
    queue_.closeAndDrop();
    if (worker_.joinable()) worker_.join();
}
