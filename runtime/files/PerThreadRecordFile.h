#pragma once

#include "runtime/base/ThreadEndSubscription.h"
#include "runtime/files/RecordFile.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace host {

class RecordFileDriver;

// A data file declared per-thread: each logical thread has its own record buffer values,
// its own position, current record, hold and watch. The wrapper makes one file of the
// driver per logical thread on that thread's first use and passes every operation to
// the current thread's file. Each of those files is a station of its own, so a hold
// taken by one thread keeps the record from every other thread, and one thread's reads
// do not move another's position or release its hold.
//
// All the threads' files are bound to the one record buffer, which is registered as a
// per-thread block (runtime/base/PerThreadBlocks.h): its live bytes are always the running
// thread's. The name on disk and the driver options go to every thread's file, also to
// those made later. When a logical thread ends its file is closed (releasing its hold)
// and dropped.
class PerThreadRecordFile final : public RecordFile {
public:
    PerThreadRecordFile(RecordFileDriver& driver, FileDefinition definition, Record& buffer);
    ~PerThreadRecordFile() override;
    PerThreadRecordFile(const PerThreadRecordFile&) = delete;
    PerThreadRecordFile& operator=(const PerThreadRecordFile&) = delete;

    RecordFile& threadFile() override { return current(); }
    // Fails with 52 while any thread's file is open.
    bool setNameOnDisk(std::string name) override;
    // Sent to every thread's file; answers as the current thread's file does, and is
    // sent to later files when that one took it.
    bool sendOption(std::string_view option) override;
    // Number of threads that have a file now.
    std::size_t threadFiles() const { return files_.size(); }

    bool open(int mode) override { return current().open(mode); }
    bool close() override { return current().close(); }
    bool isOpen() const override { return current().isOpen(); }
    int openMode() const override { return current().openMode(); }
    bool create() override { return current().create(); }
    bool rebuildKeys() override { return current().rebuildKeys(); }
    bool flush() override { return current().flush(); }
    int lockWaitSeconds() const override { return current().lockWaitSeconds(); }
    bool add() override { return current().add(); }
    bool addPlaceholder(const std::vector<int>& claimedKeys) override {
        return current().addPlaceholder(claimedKeys);
    }
    bool put() override { return current().put(); }
    bool remove() override { return current().remove(); }
    bool get(int key) override { return current().get(key); }
    bool getAt(std::string_view position) override { return current().getAt(position); }
    bool reget() override { return current().reget(); }
    bool set(int key) override { return current().set(key); }
    bool setAt(int key) override { return current().setAt(key); }
    bool reset(int key, std::string_view position) override {
        return current().reset(key, position);
    }
    bool next() override { return current().next(); }
    bool previous() override { return current().previous(); }
    int currentOrder() const override { return current().currentOrder(); }
    std::string position() const override { return current().position(); }
    std::string position(int key) const override { return current().position(key); }
    bool wouldDuplicate(int key, bool overCurrent) override {
        return current().wouldDuplicate(key, overCurrent);
    }
    void skipMemosOnNextRead() override { current().skipMemosOnNextRead(); }
    void hold(int waitSeconds) override { current().hold(waitSeconds); }
    void release() override { current().release(); }
    bool isHeld() const override { return current().isHeld(); }
    void watch() override { current().watch(); }
    bool isWatched() const override { return current().isWatched(); }
    std::int64_t recordCount() override { return current().recordCount(); }
    std::int64_t sizeInBytes() override { return current().sizeInBytes(); }
    bool enlist() override { return current().enlist(); }
    bool isEnlisted() const override { return current().isEnlisted(); }

private:
    RecordFile& current() const;
    void dropThread(int thread);

    RecordFileDriver& driver_;
    mutable std::map<int, std::unique_ptr<RecordFile>> files_; // by logical thread
    std::vector<std::string> options_;
    int block_ = 0;
    ThreadEndSubscription threadEnded_;
};

// Makes the file of a declaration through a driver: a PerThreadRecordFile when the
// declaration is per-thread, the driver's own file otherwise.
std::unique_ptr<RecordFile> makeRecordFile(RecordFileDriver& driver, FileDefinition definition,
                                           Record& buffer);

} // namespace host
