// The briefing queries.
