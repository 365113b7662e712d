#pragma once

// The document database's channel of the bridge program: ODBC's own API (the W functions, text
// in UTF-16), so a 32-bit bridge reaches the 32-bit drivers a 64-bit station cannot load. One
// connection per bridge; statements stay open until their rows are read or closed.

#include "db/OdbcBridgeProtocol.h"

#include <map>
#include <memory>

namespace robot::bridge {

class OdbcChannel {
public:
    OdbcChannel();
    ~OdbcChannel();
    OdbcChannel(const OdbcChannel &) = delete;
    OdbcChannel &operator=(const OdbcChannel &) = delete;

    DbReply serve(const DbRequest &request);

private:
    struct Handles;
    DbReply connect(const DbRequest &request);
    DbReply execute(const DbRequest &request);
    DbReply fetch(const DbRequest &request);
    DbReply close(const DbRequest &request);
    DbReply transaction(const DbRequest &request);
    std::unique_ptr<Handles> handles;
};

} // namespace robot::bridge
