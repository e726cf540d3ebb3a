#include "editor_server.h"

#include "web_assets.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <cstdio>

using nlohmann::json;

namespace {

constexpr auto kIdleEvent = std::chrono::seconds(15);

std::string HexColor(COLORREF c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

bool ParseHexColor(const std::string& text, COLORREF* color) {
    if (text.size() != 7 || text[0] != '#') return false;
    unsigned v[3];
    for (int i = 0; i < 3; ++i) {
        v[i] = 0;
        for (int k = 0; k < 2; ++k) {
            const char c = text[1 + i * 2 + k];
            const int d = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
            if (d < 0) return false;
            v[i] = v[i] * 16 + static_cast<unsigned>(d);
        }
    }
    *color = RGB(v[0], v[1], v[2]);
    return true;
}

json ControlJson(const ControlState& c) {
    json j = {
        {"index", c.index},
        {"id", c.id},
        {"kind", ControlKindName(c.kind)},
        {"class", c.cls},
        {"text", c.text},
        {"rect", {c.rect.left, c.rect.top, c.rect.right - c.rect.left, c.rect.bottom - c.rect.top}},
        {"enabled", c.enabled},
        {"visible", c.visible}};
    switch (c.kind) {
        case ControlKind::Label:
            j["align"] = c.align;
            break;
        case ControlKind::Spinner:
            j["value"] = c.value;
            j["step"] = c.step;
            break;
        case ControlKind::Swatch:
            j["color"] = HexColor(c.color);
            break;
        case ControlKind::Check:
            j["checked"] = c.checked;
            break;
        case ControlKind::Combo:
            j["items"] = c.items;
            j["choice"] = c.choice;
            break;
        default:
            break;
    }
    if (c.buddy) j["buddy"] = c.buddy;
    return j;
}

json ControlsJson(const std::vector<ControlState>& controls) {
    json a = json::array();
    for (const ControlState& c : controls) a.push_back(ControlJson(c));
    return a;
}

json ChangeJson(const ChangeResult& r, bool drop = false) {
    json j = {{"changed", ControlsJson(r.changed)}, {"generation", r.generation}};
    if (drop) {
        j["slot"] = r.slot;
        j["slotName"] = r.slotName;
        j["texture"] = r.textureName;
    }
    return j;
}

std::string Base64(const std::vector<unsigned char>& bytes) {
    static const char k[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        out += k[v >> 18];
        out += k[(v >> 12) & 63];
        out += k[(v >> 6) & 63];
        out += k[v & 63];
    }
    if (i < bytes.size()) {
        const unsigned v = (bytes[i] << 16) | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0);
        out += k[v >> 18];
        out += k[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? k[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

void Refuse(httplib::Response& res, int status, const std::string& reason) {
    res.status = status;
    res.set_content(reason + "\n", "text/plain; charset=utf-8");
}

void ReplyJson(httplib::Response& res, const json& j) {
    res.set_content(j.dump(-1, ' ', false, json::error_handler_t::replace),
                    "application/json; charset=utf-8");
}

// The request's JSON object, or a 400 or 413 with the reason.
bool ReadJson(const httplib::Request& req, httplib::Response& res, std::size_t limit, json* out) {
    if (req.body.size() > limit) {
        Refuse(res, 413, "the request's body is larger than " + std::to_string(limit) + " bytes");
        return false;
    }
    *out = json::parse(req.body, nullptr, false);
    if (out->is_discarded() || !out->is_object()) {
        Refuse(res, 400, "the request's body is not a JSON object");
        return false;
    }
    return true;
}

bool ParseEdit(const json& j, ControlEdit* edit, std::string* error) {
    const auto control = j.find("control");
    if (control == j.end() || !control->is_number_integer()) {
        *error = "the edit names no control (\"control\": an id)";
        return false;
    }
    const long long id = control->get<long long>();
    if (id <= 0 || id > 0xFFFF) {
        *error = "the panel has no control " + std::to_string(id);
        return false;
    }
    edit->id = static_cast<int>(id);
    const auto value = j.find("value");
    if (value == j.end()) {
        *error = "the edit carries no value";
        return false;
    }
    if (value->is_boolean()) {
        edit->on = value->get<bool>();
    } else if (value->is_number()) {
        edit->number = value->get<double>();
        if (value->is_number_integer()) edit->item = value->get<long long>();
    } else if (value->is_string()) {
        // Text is a colour or nothing: a control that takes no colour says what it takes.
        COLORREF c;
        if (ParseHexColor(value->get<std::string>(), &c)) edit->color = c;
    }
    return true;
}

bool ParseInt(const std::string& text, int* value) {
    if (text.empty() || text.size() > 7) return false;
    std::size_t at = text[0] == '-' ? 1 : 0;
    if (at == text.size()) return false;
    int v = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9') return false;
        v = v * 10 + (text[at] - '0');
    }
    *value = text[0] == '-' ? -v : v;
    return true;
}

}  // namespace

EditorServer::EditorServer(ServeConfig config) : config_(std::move(config)) {}

EditorServer::~EditorServer() { Stop(); }

bool EditorServer::Start(std::string* error) {
    const bool ready = host_.Call([&] {
        plugins_ = std::make_unique<PluginHost>();
        if (!plugins_->Load(config_.host, error)) return false;
        session_ = std::make_unique<EditorSession>(*plugins_, config_.editor,
                                                   [this](const PreviewFrame& f) { Preview(f); });
        return session_->Start(error);
    });
    if (!ready) return false;

    http_ = std::make_unique<httplib::Server>();
    // Each page holds one thread with its stream of events; requests need the rest.
    http_->new_task_queue = [] { return new httplib::ThreadPool(16); };
    http_->set_payload_max_length(config_.maxUpload);
    http_->set_keep_alive_timeout(5);
    port_ = config_.port == 0
                ? http_->bind_to_any_port(config_.bind)
                : (http_->bind_to_port(config_.bind, config_.port) ? config_.port : -1);
    if (port_ <= 0) {
        *error = "cannot listen on " + config_.bind + " port " + std::to_string(config_.port) +
                 " (taken, or not an address of this machine)";
        return false;
    }
    guard_ = std::make_unique<AccessGuard>(config_.bind, port_);
    Routes();
    listener_ = std::thread([this] { http_->listen_after_bind(); });
    return true;
}

void EditorServer::Stop() {
    if (stopped_) return;
    stopped_ = true;
    hub_.Close();
    if (http_) http_->stop();
    if (listener_.joinable()) listener_.join();
    host_.Call([&] {
        session_.reset();
        plugins_.reset();
        return 0;
    });
}

void EditorServer::Preview(const PreviewFrame& frame) {
    const json j = {{"generation", frame.generation},
                    {"size", frame.size},
                    {"last", frame.last},
                    {"png", "data:image/png;base64," + Base64(frame.png)}};
    const std::string data = j.dump();
    {
        std::lock_guard<std::mutex> lock(previewMutex_);
        lastPreview_ = data;
    }
    hub_.Publish("preview", data, true);
}

void EditorServer::Routes() {
    using httplib::Request;
    using httplib::Response;
    http_->set_pre_routing_handler([this](const Request& req, Response& res) {
        res.set_header("Cache-Control", "no-store");
        res.set_header("X-Content-Type-Options", "nosniff");
        res.set_header("X-Frame-Options", "DENY");
        res.set_header("Referrer-Policy", "no-referrer");
        // A page of another site, or this one under a rebound DNS name, is refused
        // before anything is read or done.
        if (!guard_->HostAllowed(req.get_header_value("Host"))) {
            Refuse(res, 403, "the request is not addressed to this server (Host header)");
            return httplib::Server::HandlerResponse::Handled;
        }
        if (!guard_->OriginAllowed(req.get_header_value("Origin"))) {
            Refuse(res, 403, "requests from other sites are refused (Origin header)");
            return httplib::Server::HandlerResponse::Handled;
        }
        std::string token = req.get_header_value("X-Lumra-Token");
        if (token.empty()) token = guard_->TokenFromCookie(req.get_header_value("Cookie"));
        const bool fromAddress =
            req.path == "/" && guard_->TokenMatches(req.get_param_value("token"));
        if (!fromAddress && !guard_->TokenMatches(token)) {
            Refuse(res, 403,
                   "this server needs its session token: open the address lumra serve printed");
            return httplib::Server::HandlerResponse::Handled;
        }
        if (fromAddress)
            res.set_header("Set-Cookie", guard_->CookieName() + "=" + guard_->Token() +
                                             "; Path=/; HttpOnly; SameSite=Strict");
        return httplib::Server::HandlerResponse::Unhandled;
    });

    // What the library refuses by itself (a body too large, a form too long, a request
    // line too long, no such path) is said in one line too.
    http_->set_error_handler([](const Request&, Response& res) {
        if (!res.body.empty()) return;
        switch (res.status) {
            case 413:
                return Refuse(res, 413,
                              "the request's body is larger than this server takes (forms are kept "
                              "short: send files as application/octet-stream)");
            case 414:
                return Refuse(res, 414, "the request's address is too long");
            case 404:
                return Refuse(res, 404, "no such page or request");
            default:
                return Refuse(res, res.status, "the request cannot be served");
        }
    });

    auto asset = [](const Request& req, Response& res) {
        const WebAsset* a = FindWebAsset(req.path);
        if (!a) return Refuse(res, 404, "no such page");
        res.set_header("Content-Security-Policy",
                       "default-src 'self'; img-src 'self' data:; frame-ancestors 'none'");
        res.set_content(reinterpret_cast<const char*>(a->data), a->size, a->type);
    };
    http_->Get("/", asset);
    http_->Get("/editor.js", asset);
    http_->Get("/editor.css", asset);

    http_->Get("/api/layout", [this](const Request&, Response& res) {
        const PanelLayout layout = OnHost([](EditorSession& s) { return s.Layout(); });
        ReplyJson(res, {{"width", layout.width},
                        {"height", layout.height},
                        {"controls", ControlsJson(layout.controls)},
                        {"generation", layout.generation},
                        {"materials", layout.materials},
                        {"current", layout.current},
                        {"saveFile", layout.saveFile},
                        {"previewSize", config_.editor.size}});
    });

    http_->Post("/api/edit", [this](const Request& req, Response& res) {
        const auto received = std::chrono::steady_clock::now();
        json body;
        if (!ReadJson(req, res, config_.maxRequest, &body)) return;
        ControlEdit edit;
        std::string error;
        if (!ParseEdit(body, &edit, &error)) return Refuse(res, 400, error);
        const ChangeResult r = OnHost([&](EditorSession& s) { return s.Edit(edit, received); });
        if (!r.ok) return Refuse(res, 400, r.error);
        const json reply = ChangeJson(r);
        hub_.Publish("controls", reply.dump(-1, ' ', false, json::error_handler_t::replace));
        ReplyJson(res, reply);
    });

    http_->Post("/api/drop", [this](const Request& req, Response& res) {
        POINT at{0, 0};
        int x = 0, y = 0;
        if (!ParseInt(req.get_param_value("x"), &x) || !ParseInt(req.get_param_value("y"), &y))
            return Refuse(res, 400, "the drop has no point (?x=&y=, whole pixels of the panel)");
        at.x = x;
        at.y = y;
        const std::string name = req.get_param_value("name");
        if (req.body.empty()) return Refuse(res, 400, "the dropped file is empty");
        const ChangeResult r = OnHost([&](EditorSession& s) { return s.Drop(at, name, req.body); });
        if (!r.ok) return Refuse(res, 400, r.error);
        const json reply = ChangeJson(r, true);
        hub_.Publish("controls", reply.dump(-1, ' ', false, json::error_handler_t::replace));
        ReplyJson(res, reply);
    });

    http_->Post("/api/save", [this](const Request& req, Response& res) {
        if (req.body.size() > config_.maxRequest)
            return Refuse(res, 413, "the request is too large");
        std::string error;
        std::string file;
        const bool ok = OnHost([&](EditorSession& s) {
            file = s.Options().saveFile;
            return s.Save(&error);
        });
        if (!ok) return Refuse(res, 500, error);
        ReplyJson(res, {{"saved", file}});
    });

    http_->Get("/api/scene", [this](const Request&, Response& res) {
        std::string bytes, error;
        if (!OnHost([&](EditorSession& s) { return s.SceneBytes(&bytes, &error); }))
            return Refuse(res, 500, "the scene cannot be written: " + error);
        res.set_header("Content-Disposition", "attachment; filename=\"material.lsc\"");
        res.set_content(bytes, "application/octet-stream");
    });

    http_->Post("/api/open", [this](const Request& req, Response& res) {
        if (req.body.empty()) return Refuse(res, 400, "the scene file is empty");
        std::string error;
        if (!OnHost([&](EditorSession& s) { return s.Open(req.body, &error); }))
            return Refuse(res, 400, error);
        hub_.Publish("layout", "{}");
        ReplyJson(res, {{"opened", true}});
    });

    http_->Post("/api/material", [this](const Request& req, Response& res) {
        json body;
        if (!ReadJson(req, res, config_.maxRequest, &body)) return;
        const auto index = body.find("index");
        if (index == body.end() || !index->is_number_integer())
            return Refuse(res, 400, "the request names no material (\"index\": from 0)");
        const long long n = index->get<long long>();
        std::string error;
        if (n < 0 || n > 1 << 20 ||
            !OnHost([&](EditorSession& s) { return s.Choose(static_cast<int>(n), &error); }))
            return Refuse(res, 400, error.empty() ? "the scene has no such material" : error);
        hub_.Publish("layout", "{}");
        ReplyJson(res, {{"current", n}});
    });

    http_->Get("/api/events", [this](const Request&, Response& res) {
        const int id = hub_.Subscribe();
        if (id < 0) return Refuse(res, 503, "too many pages are open on this server");
        auto first = std::make_shared<bool>(true);
        res.set_chunked_content_provider(
            "text/event-stream",
            [this, id, first](std::size_t, httplib::DataSink& sink) {
                std::string event;
                if (*first) {
                    // A page that opens late sees the newest picture at once.
                    *first = false;
                    std::lock_guard<std::mutex> lock(previewMutex_);
                    event = lastPreview_.empty() ? ": open\n\n"
                                                 : "event: preview\ndata: " + lastPreview_ + "\n\n";
                    return sink.write(event.data(), event.size());
                }
                switch (hub_.Wait(id, &event, kIdleEvent)) {
                    case EventHub::Next::Event:
                        return sink.write(event.data(), event.size());
                    case EventHub::Next::Timeout: {
                        // A page that went away is found out by writing to it.
                        static const std::string idle = ": idle\n\n";
                        return sink.write(idle.data(), idle.size());
                    }
                    case EventHub::Next::Closed:
                        break;
                }
                sink.done();
                return true;
            },
            [this, id](bool) { hub_.Unsubscribe(id); });
    });
}
