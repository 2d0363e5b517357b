#include "qt/x11_frame_request.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace listsong_qt::x11 {

namespace {

// A reply of xcb, freed with std::free when it goes.
template <typename Reply>
using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
Owned<Reply> owned(Reply* reply) {
    return Owned<Reply>(reply, &std::free);
}

// The atom of the name, or XCB_ATOM_NONE if the server cannot say.
xcb_atom_t atom(xcb_connection_t* connection, std::string_view name) {
    const auto reply = owned(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

xcb_window_t first_root(xcb_connection_t* connection) {
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

constexpr std::string_view kRequest = "_NET_REQUEST_FRAME_EXTENTS";
// More atoms than any window manager lists as supported.
constexpr std::uint32_t kMostSupported = 4096;

}  // namespace

bool frame_request_supported(xcb_connection_t* connection) {
    const xcb_atom_t supported = atom(connection, "_NET_SUPPORTED");
    const xcb_atom_t request = atom(connection, kRequest);
    if (supported == XCB_ATOM_NONE || request == XCB_ATOM_NONE) {
        return false;
    }
    const auto reply =
        owned(xcb_get_property_reply(connection,
                                     xcb_get_property(connection, 0, first_root(connection),
                                                      supported, XCB_ATOM_ATOM, 0, kMostSupported),
                                     nullptr));
    if (!reply || reply->type != XCB_ATOM_ATOM || reply->format != 32) {
        return false;
    }
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    for (int i = 0; i < count; ++i) {
        if (atoms[i] == request) {
            return true;
        }
    }
    return false;
}

void request_frame_extents(xcb_connection_t* connection, xcb_window_t window) {
    const auto tree =
        owned(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom(connection, kRequest);
    xcb_send_event(connection, 0, tree ? tree->root : first_root(connection),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

}  // namespace listsong_qt::x11
