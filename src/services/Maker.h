#pragma once
// The maker's web site and support address, fixed when the program is built
// (cmake -DZR_MAKER_SITE=... -DZR_MAKER_SUPPORT=...).

#include <QString>

#ifndef ZR_MAKER_SITE
#define ZR_MAKER_SITE "https://www.example.com/"
#endif
#ifndef ZR_MAKER_SUPPORT
#define ZR_MAKER_SUPPORT "supporto@example.com"
#endif

// The maker's web site, as the About, splash and bug report windows show and open it.
inline QString SitoProduttore()
{
    return QStringLiteral(ZR_MAKER_SITE);
}

// The maker's support address: information requests, bug reports, data sent to the maker.
inline QString SupportoProduttore()
{
    return QStringLiteral(ZR_MAKER_SUPPORT);
}
