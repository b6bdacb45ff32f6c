// The field-record reader on arbitrary bytes: it must neither crash nor hang.
#include "common/codepage.h"
#include "common/fieldrecord.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    mirka::FieldRecordReader r(bytes);
    QString v;
    int guard = 0;
    while (!r.atEnd() && r.read(&v) && ++guard < 1000000) {
    }
    mirka::FieldRecordReader r2(bytes);
    int n = 0;
    r2.readInt(&n);
    for (const QString &line : mirka::FieldRecordReader::lines(mirka::cp932::decode(bytes)))
        mirka::FieldRecordReader::splitLine(line);
    return 0;
}
