#include "devices/import/ZipArchive.h"

#include <QFile>
#include <unzip.h>

ZipArchive::ZipArchive(const QString& fileName) : m_zip(unzOpen64(QFile::encodeName(fileName).constData())) {}

ZipArchive::~ZipArchive()
{
    if (m_zip)
        unzClose(m_zip);
}

bool ZipArchive::contains(const QString& path)
{
    return m_zip && unzLocateFile(m_zip, path.toUtf8().constData(), 1) == UNZ_OK;
}

bool ZipArchive::read(const QString& path, QByteArray& bytes)
{
    qint64 size = 0;
    auto entry = open(path, size);
    if (!entry)
        return false;
    bytes = entry->readAll();
    return !entry->damaged();
}

std::unique_ptr<ZipArchive::Entry> ZipArchive::open(const QString& path, qint64& size)
{
    if (!contains(path))
        return nullptr;
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        unzOpenCurrentFile(m_zip) != UNZ_OK)
        return nullptr;
    size = qint64(info.uncompressed_size);
    auto entry = std::make_unique<Entry>(m_zip);
    entry->open(QIODevice::ReadOnly);
    return entry;
}

ZipArchive::Entry::Entry(void* zip) : m_zip(zip) {}

ZipArchive::Entry::~Entry()
{
    if (!m_finished)
        unzCloseCurrentFile(m_zip);
}

qint64 ZipArchive::Entry::readData(char* data, qint64 maxSize)
{
    if (m_damaged || m_finished)
        return m_damaged ? -1 : 0;
    const int chunk = int(std::min<qint64>(maxSize, 1 << 20));
    const int read = unzReadCurrentFile(m_zip, data, unsigned(chunk));
    if (read < 0) {
        m_damaged = true;
        setErrorString(QStringLiteral("damaged entry"));
        return -1;
    }
    if (read == 0) {
        m_finished = true; // the entry is closed here, where its checksum is compared
        m_damaged = unzCloseCurrentFile(m_zip) != UNZ_OK;
    }
    return read;
}
