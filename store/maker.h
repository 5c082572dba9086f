#pragma once
// The maker's fixed addresses: shown in the status bar and the about box, opened by "官方网站".
#include <QString>

namespace maker {
inline QString webAddress() {
    return QStringLiteral("http://www.jiasuisoft.cn");
}
} // namespace maker
