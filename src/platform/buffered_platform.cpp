#include "platform/buffered_platform.h"

#include <algorithm>

namespace pirvex::platform {

BufferedPlatform::~BufferedPlatform() {
  flushAll();
  for (Handle* handle : open_) {
    (void)system_.closeFile(handle->system);
    delete handle;
  }
}

File BufferedPlatform::adopt(File system, bool writable) {
  if (system == NoFile) return NoFile;
  auto* handle = new Handle;
  handle->system = system;
  // Only handles that write can hold bytes back from one another: every
  // read reaches the system after all pending bytes. Two of them are one
  // file only where their indexes agree, and only then is the whole
  // identity asked for; a handle for reading learns its identity when it is
  // asked for.
  handle->writable = writable;
  if (writable) handle->indexKnown = system_.fileIndex(system, handle->index);
  if (handle->indexKnown) {
    for (Handle* other : open_)
      if (other->writable && other->indexKnown && other->index == handle->index &&
          knowIdentity(*handle) && knowIdentity(*other) && other->identity == handle->identity)
        handle->aliased = other->aliased = true;
  }
  open_.push_back(handle);
  return reinterpret_cast<File>(handle);
}

void BufferedPlatform::flush(Handle& handle) {
  if (handle.pending.empty()) return;
  // A write that falls short is the system's to remember: its close says so.
  system_.writeBytes(handle.system, handle.pending.data(),
                     static_cast<std::uint32_t>(handle.pending.size()));
  handle.pending.clear();
}

void BufferedPlatform::flushAll() {
  for (Handle* handle : pending_) {
    flush(*handle);
    handle->listed = false;
  }
  pending_.clear();
}

void BufferedPlatform::printMessage(std::string_view message) { system_.printMessage(message); }

void BufferedPlatform::printError(std::string_view message) { system_.printError(message); }

void BufferedPlatform::createDirectories(std::string_view path) {
  flushAll();
  system_.createDirectories(path);
}

File BufferedPlatform::createFileAnew(std::string_view path) {
  flushAll();
  return adopt(system_.createFileAnew(path), true);
}

File BufferedPlatform::openForReading(std::string_view path) {
  flushAll();
  return adopt(system_.openForReading(path), false);
}

File BufferedPlatform::openForWriting(std::string_view path, std::uint32_t offset) {
  flushAll();
  return adopt(system_.openForWriting(path, offset), true);
}

bool BufferedPlatform::fileSize(File file, std::uint32_t& size) {
  if (file == NoFile) return false;
  flushAll();
  return system_.fileSize(handleOf(file).system, size);
}

std::uint32_t BufferedPlatform::readBytes(File file, void* destination, std::uint32_t count) {
  if (file == NoFile) return 0;
  flushAll();
  return system_.readBytes(handleOf(file).system, destination, count);
}

std::uint32_t BufferedPlatform::readBytesAt(File file, std::uint32_t offset, void* destination,
                                            std::uint32_t count) {
  if (file == NoFile) return 0;
  flushAll();
  return system_.readBytesAt(handleOf(file).system, offset, destination, count);
}

std::uint32_t BufferedPlatform::writeBytes(File file, const void* bytes, std::uint32_t count) {
  if (file == NoFile || count == 0) return 0;
  Handle& target = handleOf(file);
  // Bytes for one file under two handles reach it in call order.
  if (target.aliased) {
    for (Handle* other : pending_)
      if (other != &target && other->identityKnown && other->identity == target.identity)
        flush(*other);
  }
  if (target.pending.size() + count > BufferSize) flush(target);
  const auto* data = static_cast<const char*>(bytes);
  if (count >= BufferSize) return system_.writeBytes(target.system, data, count);
  if (!target.listed) {
    if (target.pending.capacity() < BufferSize) target.pending.reserve(BufferSize);
    pending_.push_back(&target);
    target.listed = true;
  }
  target.pending.append(data, count);
  return count;
}

std::uint32_t BufferedPlatform::writeBytesAt(File file, std::uint32_t offset, const void* bytes,
                                             std::uint32_t count) {
  if (file == NoFile) return 0;
  // Bytes written before belong before the position moves.
  flushAll();
  return system_.writeBytesAt(handleOf(file).system, offset, bytes, count);
}

bool BufferedPlatform::closeFile(File file) {
  if (file == NoFile) return true;
  auto* target = reinterpret_cast<Handle*>(file);
  auto found = std::find(open_.begin(), open_.end(), target);
  if (found == open_.end()) return false;
  // Only this file's bytes are due now; the others wait for the next
  // service that could look at them.
  flush(*target);
  if (target->listed) pending_.erase(std::find(pending_.begin(), pending_.end(), target));
  open_.erase(found);
  bool complete = system_.closeFile(target->system);
  delete target;
  return complete;
}

// A file's identity does not change while it is open: asked once.
bool BufferedPlatform::knowIdentity(Handle& handle) {
  if (!handle.identityKnown)
    handle.identityKnown = system_.fileIdentity(handle.system, handle.identity);
  return handle.identityKnown;
}

bool BufferedPlatform::fileIdentity(File file, FileIdentity& identity) {
  if (file == NoFile) return false;
  Handle& handle = handleOf(file);
  if (!knowIdentity(handle)) return false;
  identity = handle.identity;
  return true;
}

bool BufferedPlatform::fileIndex(File file, std::uint64_t& index) {
  if (file == NoFile) return false;
  Handle& handle = handleOf(file);
  if (!handle.indexKnown) handle.indexKnown = system_.fileIndex(handle.system, handle.index);
  index = handle.index;
  return handle.indexKnown;
}

bool BufferedPlatform::fileIndexByName(std::string_view path, std::uint64_t& index) {
  return system_.fileIndexByName(path, index);
}

bool BufferedPlatform::fileIdentityByName(std::string_view path, FileIdentity& identity) {
  return system_.fileIdentityByName(path, identity);
}

// A listing tells names and kinds, which no pending byte changes: nothing
// needs to reach its file first.
bool BufferedPlatform::listDirectory(std::string_view path, std::vector<DirectoryEntry>& entries) {
  return system_.listDirectory(path, entries);
}

bool BufferedPlatform::directoryIdentity(std::string_view path, FileIdentity& identity) {
  return system_.directoryIdentity(path, identity);
}

void* BufferedPlatform::obtainMemory(std::size_t size, MemoryUse use, std::string_view subject) {
  return system_.obtainMemory(size, use, subject);
}

void BufferedPlatform::releaseMemory(void* block) { system_.releaseMemory(block); }

void BufferedPlatform::startWork(Work& work, void (*run)(void*), void* argument) {
  system_.startWork(work, run, argument);
}

void BufferedPlatform::awaitWork(Work& work) { system_.awaitWork(work); }

}  // namespace pirvex::platform
