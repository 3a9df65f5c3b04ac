#pragma once
// The author's web page: opened by the link icon and named in both scripts' descriptors.
constexpr char AuthorWebPage[] = "http://talvern.example";
