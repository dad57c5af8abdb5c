// One run at a time per output folder.
//
// A run holds an exclusive lock (flock) on the hidden file ".vorn_htm.lock"
// in the output folder from before it reads or deletes anything there until
// it ends; the kernel releases it when the process dies, so a killed run
// never leaves the folder locked. The file itself stays: removing it would
// let two runs lock two different files of the same name. Runs into other
// folders never wait for each other.
//
// The file also says whether the last run ended with none of its temporary
// files left, so that the folder, which holds every page and file of the
// archive, is searched for leftovers only after a run that did not.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "core/archive_files.h"

class FolderLock {
 public:
  FolderLock() = default;
  ~FolderLock() { release(); }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // Locks folder, waiting up to wait for a run that holds it. False when
  // that run did not end in time; throws VbError when the lock file cannot
  // be made or locked at all.
  // on_wait is called once when the folder is found held.
  bool acquire(const std::string& folder, std::chrono::milliseconds wait,
               const std::function<void()>& on_wait = nullptr);
  // Lets go of the folder, recording whether this process still has
  // temporary files anywhere (none after a run that ended, however it ended).
  void release();
  bool held() const { return fd_ >= 0; }
  // Whether the run before this one may have left temporary files: it was
  // stopped before it ended, or it was a version that did not say.
  bool may_hold_leftovers() const { return may_hold_leftovers_; }

 private:
  void mark_running();

  int fd_ = -1;
  bool may_hold_leftovers_ = true;
};

// The lock file's name (a literal of the archive's list, so ended by a null).
inline constexpr const char* kLockName = kLockFile.name.data();

// How long a run waits for another one: ten minutes, or the seconds given in
// VORN_HTM_LOCK_WAIT (for tests and impatient scripts).
std::chrono::milliseconds lock_wait();

// Removes what runs that were stopped before they ended left in folder: the
// temporary files of the file services (by their own prefix) and those of
// earlier versions, which were named "." + an archive file's name + "." and
// six letters or digits (is_leftover, archive_files.h). Call only while
// holding the folder's lock. Returns how many were removed.
int remove_leftovers(const std::string& folder);
