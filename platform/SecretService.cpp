// The Secret Service store: each call runs libsecret's asynchronous calls on a main context
// of its own on the calling thread, with a service proxy of its own, and cancels them when
// its deadline passes.
#include "platform/SecretStore.h"

#include "platform/SessionBusAddress.h"
#include "platform/Texts.h"

#include <glib-unix.h>
#include <libsecret/secret.h>

#include <algorithm>
#include <chrono>
#include <mutex>

namespace tolvane {

namespace {

// After the deadline's cancel, the time a call has to wind down (a prompt's dismissal)
// before it is abandoned.
constexpr int kCancelGraceMs = 2000;

const SecretSchema* PasswordSchema() {
    static const SecretSchema schema = [] {
        SecretSchema s{};
        s.name = kSecretSchema;
        s.flags = SECRET_SCHEMA_NONE;
        s.attributes[0] = {"account", SECRET_SCHEMA_ATTRIBUTE_STRING};
        s.attributes[1] = {"server", SECRET_SCHEMA_ATTRIBUTE_STRING};
        s.attributes[2] = {"user", SECRET_SCHEMA_ATTRIBUTE_STRING};
        return s;
    }();
    return &schema;
}

const SecretSchema* TokenSchema() {
    static const SecretSchema schema = [] {
        SecretSchema s{};
        s.name = kSecretTokenSchema;
        s.flags = SECRET_SCHEMA_NONE;
        s.attributes[0] = {"account", SECRET_SCHEMA_ATTRIBUTE_STRING};
        s.attributes[1] = {"kind", SECRET_SCHEMA_ATTRIBUTE_STRING};
        return s;
    }();
    return &schema;
}

const SecretSchema* Schema(const SecretKeys& keys) {
    return keys.kindUtf8.empty() ? PasswordSchema() : TokenSchema();
}

// The result of one asynchronous step, kept by its callback.
struct Pending {
    GAsyncResult* result = nullptr;
};

void OnReady(GObject* /*source*/, GAsyncResult* result, gpointer data) {
    static_cast<Pending*>(data)->result = G_ASYNC_RESULT(g_object_ref(result));
}

// One call's main context, cancellable and deadline.
class CBoundedCall {
public:
    CBoundedCall(int timeoutMs, int cancelFd)
        : m_pContext(g_main_context_new()), m_pCancellable(g_cancellable_new()),
          m_pTimer(g_timeout_source_new(static_cast<guint>(timeoutMs > 0 ? timeoutMs : 0))) {
        g_main_context_push_thread_default(m_pContext);
        g_source_set_callback(m_pTimer, &CBoundedCall::OnDeadline, this, nullptr);
        g_source_attach(m_pTimer, m_pContext);
        if (cancelFd >= 0) {
            m_pCancelWatch = g_unix_fd_source_new(cancelFd, G_IO_IN);
            g_source_set_callback(m_pCancelWatch, G_SOURCE_FUNC(&CBoundedCall::OnCancelEvent), this,
                                  nullptr);
            g_source_attach(m_pCancelWatch, m_pContext);
        }
    }
    ~CBoundedCall() {
        if (m_pCancelWatch != nullptr) {
            g_source_destroy(m_pCancelWatch);
            g_source_unref(m_pCancelWatch);
        }
        g_source_destroy(m_pTimer);
        g_source_unref(m_pTimer);
        while (g_main_context_iteration(m_pContext, FALSE)) {
        }
        g_main_context_pop_thread_default(m_pContext);
        g_main_context_unref(m_pContext);
        g_object_unref(m_pCancellable);
    }
    CBoundedCall(const CBoundedCall&) = delete;
    CBoundedCall& operator=(const CBoundedCall&) = delete;

    GCancellable* Cancellable() const { return m_pCancellable; }
    bool TimedOut() const { return m_bTimedOut; }
    bool CancelledByCaller() const { return m_bCancelledByCaller; }

    // A step's pending result, for its callback. Abandoned steps keep theirs for ever.
    Pending* NewPending() { return new Pending; }

    // Runs the context until the step completed: its result, or nullptr when it did not
    // end even after the cancel (then pending is left to a callback that may never come).
    GAsyncResult* Await(Pending* pending) {
        while (pending->result == nullptr && !m_bAbandoned) {
            g_main_context_iteration(m_pContext, TRUE);
        }
        GAsyncResult* result = pending->result;
        if (result != nullptr) {
            delete pending;
        }
        return result;
    }

private:
    // The caller's event is left as it is (its owner drains it); the watch goes.
    static gboolean OnCancelEvent(gint /*fd*/, GIOCondition /*condition*/, gpointer data) {
        auto* self = static_cast<CBoundedCall*>(data);
        self->m_bCancelledByCaller = true;
        g_cancellable_cancel(self->m_pCancellable);
        return G_SOURCE_REMOVE;
    }
    static gboolean OnDeadline(gpointer data) {
        auto* self = static_cast<CBoundedCall*>(data);
        if (!self->m_bTimedOut) {
            self->m_bTimedOut = true;
            g_cancellable_cancel(self->m_pCancellable);
            g_source_set_ready_time(self->m_pTimer,
                                    g_source_get_time(self->m_pTimer) + kCancelGraceMs * 1000);
            return G_SOURCE_CONTINUE;
        }
        self->m_bAbandoned = true;
        return G_SOURCE_REMOVE;
    }

    GMainContext* m_pContext;
    GCancellable* m_pCancellable;
    GSource* m_pTimer;
    GSource* m_pCancelWatch = nullptr;
    bool m_bTimedOut = false;
    bool m_bCancelledByCaller = false;
    bool m_bAbandoned = false;
};

// A failure's code: the keyring went away, is locked, has nothing, or anything else.
int CodeOf(const GError* error, bool bTimedOut) {
    if (bTimedOut) {
        return SECRET_TIMEOUT;
    }
    if (error == nullptr) {
        return SECRET_ERROR;
    }
    if (error->domain == SECRET_ERROR) {
        switch (error->code) {
        case SECRET_ERROR_IS_LOCKED:
            return SECRET_LOCKED;
        case SECRET_ERROR_NO_SUCH_OBJECT:
            return SECRET_NOT_FOUND;
        default:
            return SECRET_ERROR;
        }
    }
    if (error->domain == G_DBUS_ERROR) {
        switch (error->code) {
        case G_DBUS_ERROR_SERVICE_UNKNOWN:
        case G_DBUS_ERROR_NAME_HAS_NO_OWNER:
        case G_DBUS_ERROR_NO_REPLY: // the service went away in the middle of the call
        case G_DBUS_ERROR_DISCONNECTED:
        case G_DBUS_ERROR_NO_SERVER:
        case G_DBUS_ERROR_SPAWN_SERVICE_NOT_FOUND:
        case G_DBUS_ERROR_SPAWN_EXEC_FAILED:
        case G_DBUS_ERROR_SPAWN_CHILD_EXITED:
            return SECRET_NO_SERVICE;
        case G_DBUS_ERROR_TIMEOUT:
        case G_DBUS_ERROR_TIMED_OUT:
            return SECRET_TIMEOUT;
        default:
            return SECRET_ERROR;
        }
    }
    if (error->domain == G_IO_ERROR) {
        switch (error->code) {
        case G_IO_ERROR_CLOSED:
        case G_IO_ERROR_CONNECTION_CLOSED:
        case G_IO_ERROR_NOT_FOUND:
        case G_IO_ERROR_CONNECTION_REFUSED:
            return SECRET_NO_SERVICE;
        case G_IO_ERROR_TIMED_OUT:
            return SECRET_TIMEOUT;
        default:
            return SECRET_ERROR;
        }
    }
    return SECRET_ERROR;
}

int Fail(const GError* gerror, bool bTimedOut, std::string* error) {
    const int code = CodeOf(gerror, bTimedOut);
    if (error == nullptr) {
        return code;
    }
    const bool bNoOwner = gerror != nullptr && gerror->domain == G_DBUS_ERROR &&
                          (gerror->code == G_DBUS_ERROR_SERVICE_UNKNOWN ||
                           gerror->code == G_DBUS_ERROR_NAME_HAS_NO_OWNER);
    if (bNoOwner && code == SECRET_NO_SERVICE) {
        *error = txt::kNoSecretService;
    } else if (code != SECRET_TIMEOUT && gerror != nullptr) {
        *error = gerror->message;
    } else {
        *error = txt::kSecretNoAnswer;
    }
    return code;
}

// The attributes of keys; the table borrows the strings of keys.
GHashTable* Attributes(const SecretKeys* keys) {
    GHashTable* table = g_hash_table_new(g_str_hash, g_str_equal);
    if (keys == nullptr) {
        return table;
    }
    const auto insert = [table](const char* name, const std::string& value) {
        g_hash_table_insert(table, const_cast<char*>(name), const_cast<char*>(value.c_str()));
    };
    insert("account", keys->accountUtf8);
    if (!keys->kindUtf8.empty()) {
        insert("kind", keys->kindUtf8);
    } else {
        insert("server", keys->serverUtf8);
        insert("user", keys->userUtf8);
    }
    return table;
}

// A connection to the Secret Service for one call: the session bus (its exit-on-close
// switched off, so that a bus that goes away ends only the call) and a service proxy of
// the call's own, so that nothing of a keyring that went away is kept for the next call.
class CServiceSession {
public:
    explicit CServiceSession(CBoundedCall& call) : m_call(call) {}
    ~CServiceSession() {
        if (m_pService != nullptr) {
            g_object_unref(m_pService);
        }
        if (m_pConnection != nullptr) {
            g_object_unref(m_pConnection);
        }
    }
    CServiceSession(const CServiceSession&) = delete;
    CServiceSession& operator=(const CServiceSession&) = delete;

    // SECRET_OK with Service() ready, or the failure.
    int Open(std::string* error) {
        if (SessionBusAddress().empty()) {
            if (error != nullptr) {
                *error = txt::kNoSessionBus;
            }
            return SECRET_NO_SERVICE; // and GLib never gets the chance to autolaunch one
        }
        GError* gerror = nullptr;
        Pending* pending = m_call.NewPending();
        g_bus_get(G_BUS_TYPE_SESSION, m_call.Cancellable(), &OnReady, pending);
        GAsyncResult* result = m_call.Await(pending);
        if (result != nullptr) {
            m_pConnection = g_bus_get_finish(result, &gerror);
            g_object_unref(result);
        }
        if (m_pConnection == nullptr || g_dbus_connection_is_closed(m_pConnection)) {
            const int code = m_call.TimedOut() ? SECRET_TIMEOUT : SECRET_NO_SERVICE;
            if (error != nullptr) {
                *error = gerror != nullptr ? gerror->message : txt::kNoSessionBus;
            }
            if (gerror != nullptr) {
                g_error_free(gerror);
            }
            return code;
        }
        g_dbus_connection_set_exit_on_close(m_pConnection, FALSE);
        return OpenService(error);
    }

    SecretService* Service() const { return m_pService; }

private:
    int OpenService(std::string* error) {
        Pending* pending = m_call.NewPending();
        secret_service_open(SECRET_TYPE_SERVICE, nullptr, SECRET_SERVICE_OPEN_SESSION,
                            m_call.Cancellable(), &OnReady, pending);
        GAsyncResult* result = m_call.Await(pending);
        GError* gerror = nullptr;
        if (result != nullptr) {
            m_pService = secret_service_open_finish(result, &gerror);
            g_object_unref(result);
        }
        if (m_pService == nullptr) {
            const int code = Fail(gerror, m_call.TimedOut(), error);
            if (gerror != nullptr) {
                g_error_free(gerror);
            }
            return code;
        }
        return SECRET_OK;
    }

    CBoundedCall& m_call;
    GDBusConnection* m_pConnection = nullptr;
    SecretService* m_pService = nullptr;
};

class CSecretServiceStore final : public ISecretStore {
public:
    int Store(const SecretKeys& keys, const CSecureString& secret, int timeoutMs,
              std::string* error) override {
        return Run(timeoutMs, error, -1, [&](CBoundedCall& call, SecretService* service) -> int {
            GHashTable* attributes = Attributes(&keys);
            SecretValue* value =
                secret_value_new(secret.Data(), static_cast<gssize>(secret.Size()), "text/plain");
            const std::string label = SecretLabel(keys);
            Pending* pending = call.NewPending();
            secret_service_store(service, Schema(keys), attributes, SECRET_COLLECTION_DEFAULT,
                                 label.c_str(), value, call.Cancellable(), &OnReady, pending);
            secret_value_unref(value);
            g_hash_table_unref(attributes);
            GAsyncResult* result = call.Await(pending);
            GError* gerror = nullptr;
            const bool stored =
                result != nullptr && secret_service_store_finish(service, result, &gerror);
            if (result != nullptr) {
                g_object_unref(result);
            }
            return Finish(stored, gerror, call, error, SECRET_LOCKED);
        });
    }

    int Lookup(const SecretKeys& keys, CSecureString& secret, int timeoutMs, std::string* error,
               int cancelFd) override {
        secret.Clear();
        return Run(timeoutMs, error, cancelFd,
                   [&](CBoundedCall& call, SecretService* service) -> int {
                       GHashTable* attributes = Attributes(&keys);
                       Pending* pending = call.NewPending();
                       secret_service_search(service, Schema(keys), attributes,
                                             static_cast<SecretSearchFlags>(
                                                 SECRET_SEARCH_UNLOCK | SECRET_SEARCH_LOAD_SECRETS),
                                             call.Cancellable(), &OnReady, pending);
                       g_hash_table_unref(attributes);
                       GAsyncResult* result = call.Await(pending);
                       GError* gerror = nullptr;
                       GList* items = nullptr;
                       if (result != nullptr) {
                           items = secret_service_search_finish(service, result, &gerror);
                           g_object_unref(result);
                       }
                       if (gerror != nullptr || result == nullptr) {
                           return Finish(false, gerror, call, error, SECRET_ERROR);
                       }
                       const int code = TakeSecret(items, secret, error);
                       g_list_free_full(items, g_object_unref);
                       return code;
                   });
    }

    int Remove(const SecretKeys& keys, int timeoutMs, std::string* error) override {
        return Clear(Schema(keys), &keys, timeoutMs, error);
    }

    int RemoveAll(int timeoutMs, std::string* error) override {
        // Each schema in its own call, both bounded by the one time-out.
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (const SecretSchema* schema : {PasswordSchema(), TokenSchema()}) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            const int code =
                Clear(schema, nullptr, static_cast<int>(std::max<int64_t>(left.count(), 0)), error);
            if (code != SECRET_OK && code != SECRET_NOT_FOUND) {
                return code;
            }
        }
        return SECRET_OK;
    }

private:
    template <class Operation>
    int Run(int timeoutMs, std::string* error, int cancelFd, Operation operation) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        std::unique_lock lock(m_mutex, std::defer_lock);
        if (!lock.try_lock_until(deadline)) {
            if (error != nullptr) {
                *error = txt::kSecretNoAnswer;
            }
            return SECRET_TIMEOUT;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        CBoundedCall call(static_cast<int>(std::max<int64_t>(left.count(), 0)), cancelFd);
        CServiceSession session(call);
        int code = session.Open(error);
        if (code == SECRET_OK) {
            code = operation(call, session.Service());
        }
        if (call.CancelledByCaller()) {
            if (error != nullptr) {
                error->clear();
            }
            return SECRET_CANCELLED;
        }
        return code;
    }

    // The code of a step that yielded ok (with gerror when it failed). A step that failed
    // without saying why met a locked keyring whose prompt was dismissed: unlocked.
    static int Finish(bool ok, GError* gerror, CBoundedCall& call, std::string* error,
                      int silentFailure) {
        if (ok) {
            return SECRET_OK;
        }
        if (gerror == nullptr && !call.TimedOut()) {
            if (error != nullptr) {
                *error = silentFailure == SECRET_LOCKED ? txt::kSecretLocked : txt::kSecretNoAnswer;
            }
            return silentFailure;
        }
        const int code = Fail(gerror, call.TimedOut(), error);
        if (gerror != nullptr) {
            g_error_free(gerror);
        }
        return code;
    }

    static int TakeSecret(GList* items, CSecureString& secret, std::string* error) {
        if (items == nullptr) {
            if (error != nullptr) {
                *error = txt::kSecretNotFound;
            }
            return SECRET_NOT_FOUND;
        }
        SecretItem* item = SECRET_ITEM(items->data);
        SecretValue* value = secret_item_get_locked(item) ? nullptr : secret_item_get_secret(item);
        if (value == nullptr) {
            if (error != nullptr) {
                *error = txt::kSecretLocked;
            }
            return SECRET_LOCKED;
        }
        gsize length = 0;
        const gchar* bytes = secret_value_get(value, &length);
        const bool fits = secret.Append(std::string_view(bytes, length));
        secret_value_unref(value);
        if (!fits) {
            secret.Clear();
            if (error != nullptr) {
                *error = txt::kSecretTooLong;
            }
            return SECRET_ERROR;
        }
        return SECRET_OK;
    }

    int Clear(const SecretSchema* schema, const SecretKeys* keys, int timeoutMs,
              std::string* error) {
        return Run(timeoutMs, error, -1, [&](CBoundedCall& call, SecretService* service) -> int {
            GHashTable* attributes = Attributes(keys);
            Pending* pending = call.NewPending();
            secret_service_clear(service, schema, attributes, call.Cancellable(), &OnReady,
                                 pending);
            g_hash_table_unref(attributes);
            GAsyncResult* result = call.Await(pending);
            GError* gerror = nullptr;
            const bool removed =
                result != nullptr && secret_service_clear_finish(service, result, &gerror);
            if (result != nullptr) {
                g_object_unref(result);
            }
            if (!removed && gerror == nullptr && result != nullptr) {
                if (error != nullptr) {
                    *error = txt::kSecretNotFound;
                }
                return SECRET_NOT_FOUND;
            }
            return Finish(removed, gerror, call, error, SECRET_ERROR);
        });
    }

    std::timed_mutex m_mutex;
};

} // namespace

ISecretStore& SecretServiceStore() {
    static CSecretServiceStore store;
    return store;
}

} // namespace tolvane
