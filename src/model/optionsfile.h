#pragma once
#include <QByteArray>
#include <QString>

// The options file "mirka.ini" as values: start page, search page and the
// open-browser-at-start value, one field-record line each. No widgets here,
// so the rules can be checked on their own.
namespace mirka::options {

struct Values {
    QString startPage;
    QString searchPage;
    // 0, 1 or 2 as stored; 0 when the file lacks the line, -1 when the line
    // is not a number (the check box then stays as it is).
    int check = 0;
};

Values parse(const QByteArray &fileBytes);
QByteArray format(const Values &values);

} // namespace mirka::options
