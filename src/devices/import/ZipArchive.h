#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <memory>

// The entries of a zip archive (an .xlsx workbook) read through minizip, the archive library the
// spreadsheet writer already brings into the process. One entry is read at a time.
class ZipArchive {
public:
    explicit ZipArchive(const QString& fileName);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool isOpen() const { return m_zip != nullptr; }
    bool contains(const QString& path);
    // The whole entry; false when it is missing or damaged.
    bool read(const QString& path, QByteArray& bytes);
    // A stream over one entry (nullptr when it is missing), valid while the archive lives; its
    // uncompressed size in `size`. A damaged entry ends the stream early with damaged() set.
    class Entry;
    std::unique_ptr<Entry> open(const QString& path, qint64& size);

private:
    void* m_zip = nullptr;
};

class ZipArchive::Entry : public QIODevice {
public:
    explicit Entry(void* zip);
    ~Entry() override;
    bool isSequential() const override { return true; }
    bool damaged() const { return m_damaged; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    void* m_zip;
    bool m_damaged = false;
    bool m_finished = false;
};
