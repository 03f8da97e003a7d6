// The machine's registry store: $HOSTWIN_PREFIX/registry.reg, shared by every
// host process of the machine.
//
// Each registry call takes a lock on $HOSTWIN_PREFIX/registry.lock (flock:
// shared to read, exclusive to change), re-reads the store when the file is
// not the one read last (device, inode, size or modification time differ),
// works on the tree in memory and, when it changed something, writes a new
// file and renames it over the old one. A store that cannot be parsed is
// refused: every call fails with ERROR_BADDB and the file is left alone; a
// write that fails leaves the old file whole and the change is dropped.
#pragma once

#include "registry_tree.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>

namespace hostwin::registry {

class Store {
public:
    // The store of this process's machine.
    static Store& Instance();

    // Runs work on the current tree; returns its result, or ERROR_BADDB when
    // the store is malformed.
    LSTATUS Read(const std::function<LSTATUS(const Tree&)>& work);

    // Runs work on the current tree with the store locked against other
    // processes. When work reports a change (changed = true) the tree is
    // written; a failed write gives ERROR_CANTWRITE and forgets the change.
    LSTATUS Write(const std::function<LSTATUS(Tree&, bool& changed)>& work);

    // Makes the store's last write durable (fsync).
    LSTATUS Flush();

    const std::string& FilePath() const { return path_; }

private:
    Store();
    struct Signature {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long mtimeNs = 0, ctimeNs = 0;
        bool operator==(const Signature&) const = default;
    };

    // Takes the inter-process lock; the descriptor is closed (and the lock
    // released) by the returned guard.
    class FileLock;
    Signature CurrentSignature() const;
    LSTATUS Refresh();
    bool Save();

    std::mutex mutex_; // one registry call of this process at a time
    std::string path_, lockPath_;
    std::unique_ptr<Tree> tree_;
    bool loaded_ = false;    // tree_ matches signature_
    bool malformed_ = false; // the file at signature_ was refused
    Signature signature_;
};

} // namespace hostwin::registry
