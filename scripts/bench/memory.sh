# 2: VmRSS 3 s after exec, from the start-up runs; 2b: the same less shared memory (what the
# process holds of its own and of its files).
rss_t=$(field rss_kb "$RUN_TMP/tastiva.runs" | stats)
rss_b=$(field rss_kb "$RUN_TMP/bare.runs" | stats)
shm_t=$(field shmem_kb "$RUN_TMP/tastiva.runs" | stats)
own_kb() { paste -d' ' <(field rss_kb "$1") <(field shmem_kb "$1") | awk '{ print $1 - $2 }'; }
own_t=$(own_kb "$RUN_TMP/tastiva.runs" | stats)
own_b=$(own_kb "$RUN_TMP/bare.runs" | stats)
row 2 "| 2. VmRSS 3 s after exec, built-in synthesizer on JACK | $(cell "$rss_t" MB 0.001 1 minmax); JACK's shared memory: $(cell "$shm_t" MB 0.001 1 minmax) | bare window: $(cell "$rss_b" MB 0.001 1 minmax) | ≤ 45 MB | $(yes_if "$(median_of "$rss_t") <= 45000") |"
row 2 "| 2b. the same less shared memory (VmRSS − RssShmem) | $(cell "$own_t" MB 0.001 1 minmax) | bare window: $(cell "$own_b" MB 0.001 1 minmax) | (≤ 45 MB) | $(yes_if "$(median_of "$own_t") <= 45000") |"
