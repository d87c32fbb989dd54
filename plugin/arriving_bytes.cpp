#include "plugin/arriving_bytes.h"

#include <utility>

namespace ob::clap {

namespace {

// A write this large costs the disk little more than its copy.

}  // namespace

ArrivingBytes::~ArrivingBytes() { memory_->giveBackUnlent(); }

bool ArrivingBytes::keepIn(std::shared_ptr<PrivateFile> file) {
  if (!file || file_) return false;
  const std::span<const std::uint8_t> arrived = memory_->inMemory();
  if (!arrived.empty() && !file->append(arrived.data(), arrived.size())) return false;
  file_ = std::move(file);
  memory_ = HeldMemory::create();
  return true;
}

bool ArrivingBytes::takeBackFromFile() {
  const std::shared_ptr<PrivateFile> file = std::move(file_);
  return memory_->appendAll(*file);
}

bool ArrivingBytes::append(const std::uint8_t* bytes, std::size_t count) {
  if (count == 0) return true;
  if (file_) {
    waiting_.insert(waiting_.end(), bytes, bytes + count);
    return waiting_.size() < kArrivingFileBatch || keepWaiting();
  }
  memory_->append(bytes, count);
  return true;
}

bool ArrivingBytes::finish() {
  if (!file_) return true;
  const bool kept = keepWaiting();
  waiting_ = {};  // its room is not held while the document is read
  return kept;
}

bool ArrivingBytes::keepWaiting() {
  if (file_->append(waiting_.data(), waiting_.size())) {
    waiting_.clear();
    return true;
  }
  // A disk that refuses them costs the load memory, never the load.
  if (!takeBackFromFile()) return false;
  memory_->append(waiting_.data(), waiting_.size());
  waiting_ = {};
  return true;
}

ByteSource& ArrivingBytes::source() {
  if (file_) return *file_;
  return *memory_;
}

}  // namespace ob::clap
