#pragma once

// The server's port is fixed (protocol::kServerPort). So that a run neither meets another
// program on that port nor disturbs one, the test moves itself into a network
// namespace of its own with just a loopback interface; every child it starts
// (X server, server, players, tools) lives there too.

#include <string>

namespace quib::e2e {

// True when the test now has its own network namespace with loopback up;
// false (with the reason in *why) when the system does not allow it, and the
// test goes on in the shared one.
bool EnterPrivateNetwork(std::string* why);

// From /proc/net/tcp of the test's namespace: whether a socket listens on
// `port`, and how many connections to `port` are established on the
// listening side.
bool Listening(int port);
int EstablishedTo(int port);

}  // namespace quib::e2e
