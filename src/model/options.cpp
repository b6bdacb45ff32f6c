#include "model/options.h"

#include "common/fileerror.h"
#include "common/paths.h"
#include "common/savefile.h"
#include "model/optionsfile.h"

#include <memory>

namespace mirka {

namespace {

std::unique_ptr<Options> &instance()
{
    static std::unique_ptr<Options> o;
    return o;
}

} // namespace

Options &Options::current()
{
    std::unique_ptr<Options> &o = instance();
    if (!o) {
        o.reset(new Options);
        o->load();
    }
    return *o;
}

bool Options::isLoaded() { return instance() != nullptr; }

void Options::forget() { instance().reset(); }

QString Options::filePath() { return settingsFile(QStringLiteral("mirka.ini")); }

void Options::setStartPage(const QString &address)
{
    if (address == m_startPage)
        return;
    m_startPage = address;
    emit changed();
}

void Options::setSearchPage(const QString &address)
{
    if (address == m_searchPage)
        return;
    m_searchPage = address;
    emit changed();
}

void Options::setOpenBrowserAtStart(int value)
{
    if (value < 0 || value > 2 || value == m_check)
        return;
    m_check = value;
    emit changed();
}

void Options::load()
{
    // A missing or short file leaves the fields it lacks empty (unchecked);
    // so does one that is not a regular file, without being opened.
    const QString path = filePath();
    QByteArray bytes;
    if (exceedsSize(path, maxSettingsFileSize))
        m_notice = fileFailureMessage(QStringLiteral("オプションのファイルを読み込めませんでした。"), path,
                                      tooLargeReason(maxSettingsFileSize));
    else
        readWholeFile(path, &bytes, nullptr, maxSettingsFileSize);
    const options::Values v = options::parse(bytes);
    m_startPage = v.startPage;
    m_searchPage = v.searchPage;
    if (v.check >= 0 && v.check <= 2)
        m_check = v.check;
    emit changed();
}

bool Options::save(QString *reason) const
{
    return writeFileAtomically(filePath(), options::format({m_startPage, m_searchPage, m_check}), reason);
}

QString Options::takeNotice() { return std::exchange(m_notice, QString()); }

} // namespace mirka
