// Outside text (project names, titles, paths, error texts) prepared so that Qt shows it exactly as written.
#pragma once

#include <QString>
#include <string>

namespace pellamor::PlainText {

QString text(const std::string& value);
// Button and menu titles: a single "&" would otherwise become a mnemonic.
QString title(const std::string& value);
// Tool tips are rich text when they look like it; escaping keeps them plain.
QString toolTip(const std::string& value);

} // namespace pellamor::PlainText
