#include "engine/SaslDialogue.h"

#include "engine/Base64Encode.h"
#include "engine/SaslMechanisms.h"

namespace tolvane {

namespace {

// The answer to an error challenge that ends the exchange.
const char* AbortLine(uint32_t mechanism) {
    switch (mechanism) {
    case SASL_OAUTHBEARER:
        return "AQ==\r\n"; // a lone 0x01
    case SASL_XOAUTH2:
        return "\r\n";
    default:
        return "*\r\n";
    }
}

// The secret's copy is overwritten before its memory goes back.
struct WipedLine {
    std::string text;
    ~WipedLine() {
        for (char& c : text) {
            c = '\0';
        }
    }
};

} // namespace

bool IsSaslContinuation(const std::string& reply) {
    return reply.rfind("+ ", 0) == 0 || reply.rfind("+\r\n", 0) == 0;
}

std::string SaslResponse(uint32_t mechanism, const SaslIdentity& identity) {
    switch (mechanism) {
    case SASL_PLAIN:
        return std::string(1, '\0') + identity.strUser + std::string(1, '\0') + identity.strSecret;
    case SASL_XOAUTH2:
        return "user=" + identity.strUser + "\x01" + "auth=Bearer " + identity.strSecret +
               "\x01\x01";
    case SASL_OAUTHBEARER:
        return "n,a=" + identity.strUser + ",\x01" + "host=" + identity.strHost + "\x01" +
               "port=" + std::to_string(identity.nPort) + "\x01" + "auth=Bearer " +
               identity.strSecret + "\x01\x01";
    default:
        return {};
    }
}

int RunSaslLogin(CPop3Socket& socket, uint32_t mechanism, const SaslIdentity& identity,
                 std::string& reply) {
    int code =
        socket.CmdAuthLine(std::string("AUTH ") + SaslMechanismName(mechanism) + "\r\n", reply);
    if (code == POP3_OK) {
        return POP3_ERROR; // logged in without credentials: not a dialogue of this client
    }
    if (code != POP3_NEGATIVE || !IsSaslContinuation(reply)) {
        return code;
    }
    WipedLine response;
    response.text = SaslResponse(mechanism, identity);
    WipedLine line;
    line.text = EncodeBase64(response.text) + "\r\n";
    code = socket.CmdAuthLine(line.text, reply);
    if (code != POP3_NEGATIVE || !IsSaslContinuation(reply)) {
        return code;
    }
    std::string final;
    code = socket.CmdAuthLine(AbortLine(mechanism), final);
    return code == POP3_TIMEOUT || code == POP3_CANCELLED ? code : POP3_NEGATIVE;
}

} // namespace tolvane
