module palimp.example.org/bench/peers/go

go 1.19
