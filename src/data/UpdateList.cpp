#include "data/UpdateList.h"

#include "data/PackageFiles.h"
#include "data/PackageLayout.h"
#include "data/TextLineReader.h"

#include <utility>

namespace {

class CUpdateListCollector : public CUpdateListSink {
public:
    explicit CUpdateListCollector(UpdateList& list) : m_list(list) {}

    void OnListLine(const ListLine& line) override {
        UpdateListLine copy{line.text, line.lineNumber, line.cut};
        switch (line.kind) {
        case ListLineKind::Entry:
            if (line.stamp.key > m_list.newest.key) {
                m_list.newest = line.stamp;
                m_list.newestIndex = static_cast<int>(m_list.entries.size());
            }
            m_list.entries.push_back(UpdateEntry{line.stamp, std::move(copy), {}});
            break;
        case ListLineKind::Detail:
            m_list.entries.back().details.push_back(std::move(copy));
            break;
        case ListLineKind::Dropped:
            m_list.dropped.push_back(std::move(copy));
            break;
        }
    }

private:
    UpdateList& m_list;
};

} // namespace

bool LoadUpdateList(const char* path, UpdateList& list) {
    list = UpdateList{};
    CTextLineReader reader;
    if (!reader.Open(path))
        return false;
    char line[kLineBufferSize];
    CUpdateListCollector collector(list);
    ReadUpdateList(reader, line, sizeof line, collector);
    return true;
}
