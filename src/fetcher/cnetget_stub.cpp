#include "fetcher/cnetget.h"

// placeholder until the fetcher lands
CNetGet::CNetGet(InternetApi& internet, BusyPointer& pointer, EventPump& events,
                 const ProgramInfo& program)
    : internet_(internet), pointer_(pointer), events_(events), program_(program) {}
CNetGet::~CNetGet() = default;
void CNetGet::CheckError() {}
void CNetGet::Init(const std::optional<QString>&) {}
bool CNetGet::ParseHTML(const QString&, KeyedCollection&, const std::optional<QString>&) {
    return false;
}
bool CNetGet::ReadUrl(const QString&, const std::optional<QString>&) { return false; }
void CNetGet::Term() {}
QString CNetGet::TranslateErrorCode(std::int32_t) const { return {}; }
void CNetGet::SetStatusWindow(QObject*) {}
QString CNetGet::GetRawHTML() const { return {}; }
QString CNetGet::GetLastError() const { return {}; }
void CNetGet::SetUserAgent(const QString&) {}
void CNetGet::ShowStatus(const QString&) {}
QString CNetGet::StripControlChars(const QString& t) { return t; }
bool KeyedCollection::add(const QString&, const QString&) { return false; }
bool KeyedCollection::containsKey(const QString&) const { return false; }
