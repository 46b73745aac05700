// Generated reading tables.
