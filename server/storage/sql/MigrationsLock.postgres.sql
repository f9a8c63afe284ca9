SELECT pg_advisory_xact_lock(520052)
