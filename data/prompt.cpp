#include "prompt.h"
#include "sqllog.h"

namespace {
struct Handlers
{
    PromptHandler scripted; // a test's, or none
    SaveFileHandler scriptedFiles;
    PromptHandler boxes;    // the windows' real boxes
    SaveFileHandler files;
    SaveFileHandler scriptedOpen;
    SaveFileHandler openBox;
};

Handlers &handlers()
{
    static Handlers h;
    return h;
}
} // namespace

namespace Prompt {
int ask(const PromptRequest &request)
{
    const Handlers &h = handlers();
    if (h.scripted)
        return h.scripted(request);
    if (h.boxes)
        return h.boxes(request);
    qCWarning(lcSql).noquote() << QStringLiteral("无人回答的提示：") + request.title << request.text;
    return -1;
}

QString saveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    const Handlers &h = handlers();
    if (h.scriptedFiles)
        return h.scriptedFiles(parent, caption, dir, filter);
    if (h.files)
        return h.files(parent, caption, dir, filter);
    return QString();
}

QString openFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    const Handlers &h = handlers();
    if (h.scriptedOpen)
        return h.scriptedOpen(parent, caption, dir, filter);
    if (h.openBox)
        return h.openBox(parent, caption, dir, filter);
    return QString();
}

void setOpenFileHandler(SaveFileHandler h) { handlers().scriptedOpen = std::move(h); }
void setOpenFileBox(SaveFileHandler box) { handlers().openBox = std::move(box); }

void setHandler(PromptHandler h) { handlers().scripted = std::move(h); }
void setSaveFileHandler(SaveFileHandler h) { handlers().scriptedFiles = std::move(h); }

void setBoxes(PromptHandler boxes, SaveFileHandler files)
{
    handlers().boxes = std::move(boxes);
    handlers().files = std::move(files);
}
} // namespace Prompt
