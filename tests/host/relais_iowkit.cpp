// A library with no code of its own: its exports are forwarders.
