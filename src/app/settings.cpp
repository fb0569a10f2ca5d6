#include "app/settings.h"

#include <optional>

#include "text/cp1251.h"

void LoadOptions(const QString& group, const std::vector<OptionKey>& options) {
  PomveltSettings store;
  store.beginGroup(group);
  for (const OptionKey& option : options) {
    const QVariant value = store.value(QLatin1String(option.key));
    if (!value.isValid()) continue;
    if (option.number) {
      bool ok = false;
      const int number = value.toInt(&ok);
      if (ok) *option.number = number;
    } else if (option.anyText) {
      *option.text = value.toString().toStdString();
    } else if (std::optional<std::string> text =
                   pomvelt::Utf8ToCp1251(value.toString().toStdString())) {
      *option.text = std::move(*text);
    }
  }
}

void SaveOptions(const QString& group, const std::vector<OptionKey>& options) {
  PomveltSettings store;
  store.beginGroup(group);
  for (const OptionKey& option : options) {
    const QVariant value =
        option.number    ? QVariant(*option.number)
        : option.anyText ? QVariant(QString::fromStdString(*option.text))
                         : QVariant(QString::fromStdString(pomvelt::Cp1251ToUtf8(*option.text)));
    store.setValue(QLatin1String(option.key), value);
  }
}
