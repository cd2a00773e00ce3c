#include "platform/internet/kept_connections.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

curl_socket_t KeptConnections::open(void* self, curlsocktype, curl_sockaddr* address) {
    const curl_socket_t socket =
        ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (socket != CURL_SOCKET_BAD)
        static_cast<KeptConnections*>(self)->versions_.insert(socket, 0);
    return socket;
}

int KeptConnections::close(void* self, curl_socket_t socket) {
    static_cast<KeptConnections*>(self)->versions_.remove(socket);
    return ::close(socket);
}

curl_socket_t KeptConnections::find(const char* localAddress, int localPort) const {
    curl_socket_t byPort = CURL_SOCKET_BAD;
    for (auto it = versions_.cbegin(); it != versions_.cend(); ++it) {
        sockaddr_storage local{};
        socklen_t size = sizeof local;
        if (::getsockname(it.key(), reinterpret_cast<sockaddr*>(&local), &size) != 0)
            continue;
        char text[INET6_ADDRSTRLEN] = {};
        int port = 0;
        if (local.ss_family == AF_INET) {
            const auto& v4 = reinterpret_cast<const sockaddr_in&>(local);
            ::inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
            port = ntohs(v4.sin_port);
        } else if (local.ss_family == AF_INET6) {
            const auto& v6 = reinterpret_cast<const sockaddr_in6&>(local);
            ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
            port = ntohs(v6.sin6_port);
        }
        if (port != localPort)
            continue;
        if (localAddress && std::strcmp(text, localAddress) == 0)
            return it.key();
        byPort = it.key(); // curl may write an address another way
    }
    return byPort;
}

void KeptConnections::answered(curl_socket_t socket, long httpVersion) {
    if (const auto it = versions_.find(socket); it != versions_.end())
        *it = httpVersion;
}

bool KeptConnections::hasBytesWaiting(curl_socket_t socket) const {
    const auto it = versions_.constFind(socket);
    if (it == versions_.cend() || *it >= CURL_HTTP_VERSION_2_0)
        return false;
    char byte = 0;
    const ssize_t peeked = ::recv(socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return peeked >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
}
