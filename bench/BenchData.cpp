#include "BenchData.h"

#include "engine/DateTexts.h"

#include <QDir>
#include <QFile>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <utime.h>

namespace {

const BenchData& cached(std::map<int, std::unique_ptr<BenchData>>& store, int size,
                        const std::function<std::unique_ptr<BenchData>()>& make)
{
    auto it = store.find(size);
    if (it == store.end())
        it = store.emplace(size, make()).first;
    return *it->second;
}

} // namespace

void BenchData::makeFiles(int count, const QDateTime& newest, int folders)
{
    const std::string top = QFile::encodeName(folderPath()).toStdString();
    QDir().mkpath(folderPath());
    for (int k = 0; folders > 1 && k < folders; ++k)
        QDir().mkpath(folderPath() + QStringLiteral("/d%1").arg(k));
    m_filePaths.reserve(count);
    for (int i = 0; i < count; ++i) {
        const std::string folder = folders > 1 ? top + "/d" + std::to_string(i % folders) : top;
        const std::string path = folder + "/file-" + std::to_string(i) + ".dat";
        if (FILE* f = std::fopen(path.c_str(), "w"))
            std::fclose(f);
        const time_t when = newest.toSecsSinceEpoch() - (i * 7919L) % (86400L * 30);
        const utimbuf times{when, when};
        ::utime(path.c_str(), &times);
        m_filePaths.push_back(path);
    }
}

void BenchData::writeWatchList(bool adviseChanges)
{
    QByteArray text = "[Settings]\nStart in Tray=false\nClose on Start=false\n\n";
    for (size_t n = 0; n < m_filePaths.size(); ++n) {
        struct stat st
        {
        };
        ::stat(m_filePaths[n].c_str(), &st);
        const QDateTime modified = QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec);
        text += "[File " + QByteArray::number(qulonglong(n)) + "]\n";
        text += "filename=" + QByteArray::fromStdString(m_filePaths[n]) + "\n";
        text += "days=5\ndescription=Report number " + QByteArray::number(qulonglong(n)) + "\n";
        text += "Postponedate=\nNotactive=false\nnon-fixed file type=\nadvisechanges=";
        text += adviseChanges ? "true\n" : "false\n";
        text += "last date changed=" + DateTexts::generalDate(modified).toUtf8() + "\n\n";
    }
    QFile file(inifilename());
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

const BenchData& BenchData::watchList(int entries)
{
    static std::map<int, std::unique_ptr<BenchData>> store;
    return cached(store, entries, [entries] {
        std::unique_ptr<BenchData> data(new BenchData);
        data->makeFiles(entries, QDateTime::currentDateTime().addDays(-40));
        data->writeWatchList();
        return data;
    });
}

const BenchData& BenchData::folder(int files)
{
    static std::map<int, std::unique_ptr<BenchData>> store;
    return cached(store, files, [files] {
        std::unique_ptr<BenchData> data(new BenchData);
        data->makeFiles(files, QDateTime::currentDateTime());
        return data;
    });
}

const BenchData& BenchData::spreadWatchList(int entries, int folders)
{
    static std::map<int, std::unique_ptr<BenchData>> store;
    return cached(store, entries * 1000 + folders, [entries, folders] {
        std::unique_ptr<BenchData> data(new BenchData);
        data->makeFiles(entries, QDateTime::currentDateTime().addDays(-40), folders);
        data->writeWatchList(false);
        return data;
    });
}
