#include "config/identity.h"

#include "base/gbk.h"
#include "config/config_store.h"
#include "config/stored_text.h"

#include <QStringList>

namespace pelvoro {
namespace {

const QString kSection = QStringLiteral("版本信息");
const QString kNameKey = QStringLiteral("软件名称");
const QString kVersionKey = QStringLiteral("软件版本号");
const QString kDateKey = QStringLiteral("软件日期");
const QString kDefaultVersion = QStringLiteral("V1.0");
const QString kDefaultDate = QStringLiteral("2005/11/18");

IdentityFields ReadFields(const ConfigStore &store, const QString &defaultName)
{
    const IniDocument doc = store.Read();
    return {ReadText(doc, kSection, kNameKey, defaultName), ReadText(doc, kSection, kVersionKey, kDefaultVersion),
            ReadText(doc, kSection, kDateKey, kDefaultDate)};
}

} // namespace

Identity ReadIdentity(const ConfigStore &store)
{
    const IdentityFields fields = ReadFields(store, kSoftwareDisplayName);
    const QString lineBreaks = QStringLiteral("\r\r");
    return {fields.name + lineBreaks + QStringLiteral("版本号：") + fields.version + lineBreaks +
                QStringLiteral("版本日期：") + fields.date,
            fields.name};
}

IdentityFields ReadIdentityFields(const ConfigStore &store)
{
    return ReadFields(store, kDefaultOwnerText);
}

QString IdentityRefusal(const IdentityFields &fields)
{
    // Named as the identity editor labels them.
    QStringList refusals;
    for (const auto &[label, text] :
         {std::pair{QStringLiteral("公司名称"), fields.name}, std::pair{QStringLiteral("软件版本"), fields.version},
          std::pair{QStringLiteral("软件日期"), fields.date}}) {
        if (const QString refusal = StoredTextRefusal(label, text); !refusal.isEmpty())
            refusals << refusal;
    }
    return refusals.join(QLatin1Char('\n'));
}

bool WriteIdentityFields(ConfigStore &store, const IdentityFields &fields)
{
    // One replacement of the file for the three keys.
    return store.Edit([&](IniDocument &doc) {
        const QByteArray section = ToGbk(kSection);
        bool changed = doc.SetValue(section, ToGbk(kNameKey), ToGbk(fields.name));
        changed = doc.SetValue(section, ToGbk(kVersionKey), ToGbk(fields.version)) || changed;
        changed = doc.SetValue(section, ToGbk(kDateKey), ToGbk(fields.date)) || changed;
        return changed;
    });
}

bool WriteBackIdentity(ConfigStore &store)
{
    return WriteIdentityFields(store, ReadIdentityFields(store));
}

} // namespace pelvoro
