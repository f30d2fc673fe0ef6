#pragma once

// Posting every row of an in-memory data set sorted by a field, next to the
// same posts unsorted; prints its rows of the report.
void benchSortedPosts();
