vcl 4.1;
# Varnish as a CDN node in front of the update host. On a miss Varnish fetches whole objects
# and drops the Range header; for a delta update that would pull whole files from the host.
# Here a range travels to the host as a range and is kept under its own key, so each piece of
# a file is fetched once. A launcher that asks with "Cache-Control: no-cache" (the manifest pair,
# and a second look at a file that came wrong) gets a fresh copy, which replaces the kept one.
backend kaynak {
    .host = "guncelleme.example";
    .port = "80";
}
sub vcl_recv {
    if (req.http.Cache-Control ~ "no-cache") {
        set req.hash_always_miss = true;
    }
    if (req.http.Range ~ "^bytes=") {
        set req.http.X-Aralik = req.http.Range;
        unset req.http.Range;
    }
}
sub vcl_hash {
    if (req.http.X-Aralik) {
        hash_data(req.http.X-Aralik);
    }
}
sub vcl_backend_fetch {
    if (bereq.http.X-Aralik) {
        set bereq.http.Range = bereq.http.X-Aralik;
        unset bereq.http.X-Aralik;
    }
}
sub vcl_backend_response {
    # Varnish keeps only whole answers: a range is kept as one, its Content-Range beside it.
    if (beresp.status == 206) {
        set beresp.http.X-Content-Range = beresp.http.Content-Range;
        unset beresp.http.Content-Range;
        set beresp.status = 200;
        set beresp.ttl = 60d;
    }
}
sub vcl_deliver {
    if (resp.http.X-Content-Range) {
        set resp.status = 206;
        set resp.http.Content-Range = resp.http.X-Content-Range;
        unset resp.http.X-Content-Range;
    }
}
