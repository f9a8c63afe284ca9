INSERT INTO schema_migrations (version, name, applied_at) VALUES (:P_VERSION, :P_NAME, :P_APPLIED_AT)
